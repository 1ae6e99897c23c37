"""The browser build's checks (browser_test.py runs them): the browsers'
clients, the site and its server, the native side, and a module for each
group of checks."""
