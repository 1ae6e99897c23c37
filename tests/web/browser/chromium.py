"""Headless Chromium driven by Debian's chromedriver through Selenium.

The checks are coroutines; Selenium's calls block. Each call runs in a
worker thread (asyncio.to_thread) under the browser's lock, since one
driver serves one caller at a time, and in its page's tab: the driver
switches windows only when the tab differs from the last one used.
Selenium's own API does what it has: scripts, keys, the pointer, tabs and
the page's exceptions (the browser log); the device metrics, touch
emulation, network conditions and a script for every new document go to
the DevTools protocol through execute_cdp_cmd."""
import asyncio
import contextlib
import os
import shutil
import tempfile
import threading
import time

from selenium import webdriver
from selenium.common.exceptions import TimeoutException, WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions import interaction
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.pointer_input import PointerInput

from .common import KEYS, Readings

CHROMEDRIVER = shutil.which('chromedriver') or '/usr/bin/chromedriver'
# The script a page's evaluation runs: the expression as a script of the
# page (its last statement's value), a promise awaited, as DevTools'
# Runtime.evaluate with awaitPromise would give it.
EVALUATE = 'return (0, eval)(arguments[0])'
# An evaluation that long means the page is busy (the bench at a sharp size
# draws for half a minute without a break).
SCRIPT_TIMEOUT = 30


class DriverService(Service):
    """chromedriver in a process group of its own, which Chromium and its
    helpers join, kept with the run's other processes so that every way out
    ends it."""

    def __init__(self, res, log_name, env):
        self.res = res
        super().__init__(CHROMEDRIVER, env=env, log_file=open(os.path.join(res.root, log_name), 'ab'),
                         popen_kw={'start_new_session': True})

    def _start_process(self, path):
        super()._start_process(path)
        self.res.processes.append(self.process)


class Page(Readings):
    """A tab of Chromium: its window handle."""

    def __init__(self, browser, handle):
        self.browser, self.handle = browser, handle
        self.opened = time.time() * 1000  # in the browser log's milliseconds

    async def _call(self, fn, *args):
        return await self.browser.call(self.handle, fn, *args)

    async def evaluate(self, expression):
        try:
            return await self._call(self.browser.driver.execute_script, EVALUATE, expression)
        except RuntimeError as e:
            raise RuntimeError(f'{expression}: {e}') from e

    async def thrown(self):
        try:
            log = await self._call(self.browser.driver.get_log, 'browser')
        except (RuntimeError, asyncio.TimeoutError):
            return []  # the failure line goes without
        return [e['message'].splitlines()[0] for e in log
                if e.get('source') == 'javascript' and e.get('timestamp', 0) >= self.opened]

    async def navigate(self, url):
        await self._call(self.browser.driver.get, url)

    async def cdp(self, method, params=None):
        return await self._call(self.browser.driver.execute_cdp_cmd, method, params or {})

    async def press(self, name):
        value = KEYS[name]
        await self._call(lambda: ActionChains(self.browser.driver).key_down(value).key_up(value).perform())

    def _pointer(self, kind, x, y, press):
        # Integral CSS pixels, as WebDriver's pointer moves take them; at once.
        actions = ActionBuilder(self.browser.driver, mouse=PointerInput(kind, kind), duration=0)
        actions.pointer_action.move_to_location(round(x), round(y))
        if press:
            actions.pointer_action.pointer_down().pointer_up()
        actions.perform()

    async def move(self, x, y):
        """The mouse moved to (x, y) in the window, in CSS pixels."""
        await self._call(self._pointer, interaction.POINTER_MOUSE, x, y, False)

    async def click(self, x, y):
        """The left mouse button clicked at (x, y)."""
        await self._call(self._pointer, interaction.POINTER_MOUSE, x, y, True)

    async def tap(self, x, y):
        """A finger's touch at (x, y) and its lift."""
        await self._call(self._pointer, interaction.POINTER_TOUCH, x, y, True)


class Browser:
    """Headless Chromium with a profile of its own."""

    FLAGS = ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
             '--disable-component-update', '--disable-sync', '--no-first-run',
             # A page in a tab nobody looks at still runs at full rate.
             '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
             '--disable-backgrounding-occluded-windows']

    def __init__(self, res, chromium, extra_flags, label):
        self.res, self.chromium, self.extra, self.label = res, chromium, extra_flags, label
        self.service = self.driver = self.home = self.current = None
        self.lock = threading.Lock()

    def _in_tab(self, handle, fn, *args):
        with self.lock:
            if handle is not None and handle != self.current:
                self.driver.switch_to.window(handle)
                self.current = handle
            return fn(*args)

    async def call(self, handle, fn, *args):
        """fn(*args) on the driver in the tab handle (None: any), off the
        event loop. Selenium's errors come back as the checks read a page's:
        a timeout as asyncio.TimeoutError (the page busy), any other as
        RuntimeError with the driver's first line."""
        try:
            return await asyncio.to_thread(self._in_tab, handle, fn, *args)
        except TimeoutException as e:
            raise asyncio.TimeoutError(str(e.msg)) from e
        except WebDriverException as e:
            raise RuntimeError((e.msg or type(e).__name__).splitlines()[0]) from e

    def _start(self, attempt):
        profile = tempfile.mkdtemp(prefix=f'chromium-{self.label}-', dir=self.res.root)
        options = webdriver.ChromeOptions()
        options.binary_location = self.chromium
        for flag in (*self.FLAGS, f'--user-data-dir={profile}', *self.extra):
            options.add_argument(flag)
        # Navigations return at once: every check waits for the page itself.
        options.page_load_strategy = 'none'
        options.set_capability('goog:loggingPrefs', {'browser': 'SEVERE'})
        # Its crash reports and caches go to the profile too, not $HOME.
        env = dict(os.environ, XDG_CONFIG_HOME=profile, XDG_CACHE_HOME=profile)
        self.service = DriverService(self.res, f'chromium-{self.label}-{attempt}.log', env)
        self.driver = webdriver.Chrome(service=self.service, options=options)
        self.driver.set_script_timeout(SCRIPT_TIMEOUT)
        self.home = self.current = self.driver.current_window_handle

    async def __aenter__(self):
        # One retry, for start-up only: a loaded machine can miss the first.
        for attempt in (1, 2):
            t0 = time.monotonic()
            try:
                await asyncio.to_thread(self._start, attempt)
                print(f'  chromium ({self.label}) up in {time.monotonic() - t0:.1f} s', flush=True)
                return self
            except Exception as e:  # noqa: BLE001  (reported, then retried once)
                detail = f'{e}: {self.res.log_tail(f"chromium-{self.label}-{attempt}.log", 3)}'
                await self._shut()
                if attempt == 2:
                    raise RuntimeError(f'Chromium did not start: {detail}') from e
                print(f'  chromium ({self.label}) start-up failed, once more: {detail}', flush=True)

    async def _shut(self):
        if self.driver is not None:
            with contextlib.suppress(Exception):
                await asyncio.wait_for(asyncio.to_thread(self.driver.quit), 15)
        # Whatever did not go with the driver, or all of it where it hangs.
        if self.service is not None and getattr(self.service, 'process', None) is not None:
            self.res.stop(self.service.process)
        self.service = self.driver = None

    async def __aexit__(self, *exc):
        await self._shut()

    def _open(self, url):
        self.driver.switch_to.new_window('tab')
        self.current = self.driver.current_window_handle
        if url != 'about:blank':
            self.driver.get(url)
        return self.current

    def _close(self):
        # The first window stays, or the session would end with the last tab.
        self.driver.close()
        self.driver.switch_to.window(self.home)
        self.current = self.home

    @contextlib.asynccontextmanager
    async def page(self, url):
        """A fresh tab on url, closed afterwards."""
        handle = await self.call(None, self._open, url)
        try:
            yield Page(self, handle)
        finally:
            with contextlib.suppress(Exception):
                await asyncio.wait_for(self.call(handle, self._close), 10)
