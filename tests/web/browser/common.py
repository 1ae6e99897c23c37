"""What every check group shares: the page's names and readings, the
verdict, the moments' arithmetic, and a tab's state waited for, whichever
browser it is in."""
import asyncio
import re
import struct
import time
import urllib.parse

ARCHIVE = 'vx-1.lib'
SHARP_ARCHIVE = 'vx-1-sharp.lib'
TITLE_FRAME = re.compile(r'^vx1 frame ([0-9a-f]{64})$')
TITLE_ERROR = 'vx1 error: '

# Generous on purpose: CI shares two cores between the build and the browser,
# and a slow machine must not read as a broken page. Every wait polls.
PAGE_TIMEOUT = 120.0  # a page: download, load every scene, draw
START_TIMEOUT = 60.0  # Chromium or the server coming up
POLL = 0.1

CLASSIC = (320, 200)
CANVAS_SIZE = '(c => c ? [c.width, c.height] : null)(document.querySelector("canvas"))'
CANVAS_DIGEST = ('(async () => { const c = document.querySelector("canvas"); if (!c) return null;'
                 ' const b = new TextEncoder().encode(c.toDataURL());'
                 ' const d = await crypto.subtle.digest("SHA-256", b);'
                 ' return Array.from(new Uint8Array(d), x => x.toString(16).padStart(2, "0")).join(""); })()')

# The keys the checks press, as WebDriver names them (both browsers' drivers
# take these values: the private-use ones are WebDriver's special keys).
KEYS = {'Space': '\ue00d', 'Right': '\ue014', 'Tab': '\ue004', 'Escape': '\ue00c', 'Enter': '\ue007',
        'R': 'r', 'V': 'v', 'Help': '?'}


class CheckFailed(Exception):
    """A check's verdict: the one line to print."""


def link_query(link):
    """The names and values of a link's query."""
    return urllib.parse.parse_qs(urllib.parse.urlsplit(link).query, keep_blank_values=True)


async def copied_link(page):
    """The link the page's copy button gives for the moment shown (it also
    sets the button's title to it)."""
    await page.evaluate('document.getElementById("copylink").click()')
    return await page.evaluate('document.getElementById("linked").title')


def single(value):
    return struct.unpack('f', struct.pack('f', value))[0]


def ticks_of(seconds):
    """The single-float tick a moment becomes, as the program rounds it."""
    return single(float(seconds) * 120.0)


class Readings:
    """A tab's readings of the page, over whichever driver the subclass has:
    it gives evaluate(expression), with a JavaScript value as the Python one
    (raising RuntimeError when the page cannot answer and
    asyncio.TimeoutError when it is busy), and thrown(), the first lines of
    the exceptions the page threw."""

    async def state(self):
        """document.title and window.vx1State in one reading."""
        return await self.evaluate('({title: document.title, state: window.vx1State ? '
                                   '{phase: vx1State.phase, frames: vx1State.frames, ticks: '
                                   'vx1State.ticks, message: vx1State.message} : null})')

    async def wait(self, done, what, timeout=PAGE_TIMEOUT):
        """Polls state() until done(reading) holds; fails with the last
        reading and the page's exceptions otherwise."""
        deadline = time.monotonic() + timeout
        reading, last = None, 'nothing read'
        while time.monotonic() < deadline:
            try:
                reading = await self.state()
            except RuntimeError as e:
                # While a navigation commits there is no page to ask yet.
                last = str(e)
            except asyncio.TimeoutError:
                # A page busy with one long run (the bench at a sharp size
                # draws for half a minute without a break) answers later.
                last = 'the page did not answer (busy)'
            else:
                if done(reading):
                    return reading
                last = f'title {reading["title"]!r}, state {reading["state"]}'
            await asyncio.sleep(POLL)
        thrown = await self.thrown()
        raise CheckFailed(f'no {what} within {timeout:.0f} s ({last})' +
                          (f', page threw: {thrown[0]}' if thrown else ''))


async def held_frame(page, ticks, expected, what):
    """Waits until the page holds ticks paused with the frame title, and
    checks that title against the native frame."""
    r = await page.wait(lambda r: r['state'] and (r['state']['phase'] in ('error', 'ended') or
                                                  (r['state']['ticks'] == ticks and TITLE_FRAME.match(r['title']))),
                        f'{what}: the frame held at {ticks} ticks')
    if not TITLE_FRAME.match(r['title']):
        raise CheckFailed(f'{what}: the show stopped: {r["title"]!r}, {r["state"]}')
    if TITLE_FRAME.match(r['title'])[1] != expected:
        raise CheckFailed(f'{what}: browser frame {r["title"][10:26]}... != native frame {expected[:16]}...')
    return r
