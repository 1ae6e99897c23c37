"""The page's errors: an archive missing or damaged, and what is refused
before any click."""
import asyncio
import re

from .common import TITLE_ERROR, CheckFailed


async def check_error(browser, base, variant, native_lines):
    async with browser.page(f'{base}/{variant}/index.html') as page:
        # Over once the error is up, or once the show's clock runs (then no
        # error is coming); the loading screen may be drawn before either.
        done = await page.wait(lambda r: r['title'].startswith(TITLE_ERROR) or
                               (r['state'] and (r['state']['phase'] in ('error', 'ended') or
                                                r['state']['ticks'] > 0)), 'error in the title')
        title = done['title']
        if not title.startswith(TITLE_ERROR):
            raise CheckFailed(f'no error: title {title!r}, state {done["state"]}')
        message = title[len(TITLE_ERROR):]
        if not message.strip():
            raise CheckFailed('the error title carries no message')
        # The program's own words: its last line, the reason (a message box
        # before it may say no more than "Load Error"). The page plays the
        # show where native vx1 draws a still, so the first picture each
        # loads, named in the reason, may differ.
        def reason(line):
            return re.sub(r'DATA\\\S+:', 'NAME:', line.strip())
        if not reason(native_lines[-1]).endswith(reason(message)):
            raise CheckFailed(f'the message {message!r} is not native vx1\'s reason {native_lines[-1]!r}')
        if done['state'] is None or done['state']['phase'] != 'error':
            raise CheckFailed(f'the error left the phase at {done["state"] and done["state"]["phase"]!r}')
        await asyncio.sleep(1.0)
        after = await page.state()
        if after['state']['phase'] != 'error' or after['state']['frames'] != done['state']['frames']:
            raise CheckFailed(f'the page ran on after the error: {after["state"]}')
        print(f'  {variant}: {title}', flush=True)


async def check_early_error(browser, url, title, words):
    """Without a click (no autoplay): the error is up at once, its title
    is title (or starts with it) and the panel holds the plain words."""
    async with browser.page(url) as page:
        # Nothing clicks here: a page that waits for a click never gets there.
        await page.wait(lambda r: r['title'].startswith(title), 'error before a click', timeout=60.0)
        panel = await page.evaluate('document.getElementById("failed").innerText')
        if words not in panel:
            raise CheckFailed(f'the panel says {panel!r}, without {words!r}')
        print(f'  {url.split("/")[-2]}: {panel.splitlines()[0][:100]}', flush=True)
