"""The sharp show: whole-number scales in device pixels, the sharp size of
a window, the sharp show held and switched with R, its archive fetched on
demand, and its download's size."""
import asyncio
import os
import time

from .common import (ARCHIVE, CANVAS_SIZE, CLASSIC, POLL, SHARP_ARCHIVE, TITLE_ERROR, TITLE_FRAME,
                     CheckFailed, copied_link, held_frame, ticks_of)
from .replay import in_place

# What the sharp show downloads in the page, at most.
SHARP_DOWNLOAD = ['index.html', 'vx1.js', 'vx1.wasm', ARCHIVE, SHARP_ARCHIVE]
SHARP_DOWNLOAD_LIMIT = 12 * 2**20

# (device pixel ratio, CSS width, CSS height, the show's pixel in device pixels)
SCALINGS = [(1.25, 1536, 864, 5), (1.5, 1280, 720, 5), (3.0, 844, 390, 5), (1.0, 1366, 768, 3)]


async def emulate(page, metrics):
    """The window as (device pixel ratio, CSS width, CSS height)."""
    ratio, width, height = metrics
    await page.cdp('Emulation.setDeviceMetricsOverride', {
        'width': width, 'height': height, 'deviceScaleFactor': ratio, 'mobile': False})


async def check_sharp(browser, base):
    async with browser.page(f'{base}/good/index.html?still=40.5') as page:
        await page.wait(lambda r: TITLE_FRAME.match(r['title']), 'frame title')
        for ratio, width, height, scale in SCALINGS:
            await emulate(page, (ratio, width, height))
            await asyncio.sleep(0.3)
            box = await page.evaluate('(() => { const r = document.getElementById("screen")'
                                      '.getBoundingClientRect(); return [r.left, r.top, r.width, '
                                      'r.height, devicePixelRatio]; })()')
            # Layout keeps 1/64 of a CSS pixel, which the painting snaps to
            # the device pixel.
            device = [v * box[4] for v in box[:4]]
            snapped = [round(v) for v in device]
            if box[4] != ratio or snapped[2:] != [320 * scale, 200 * scale] or \
                    any(abs(v - s) > 0.05 for v, s in zip(device, snapped)):
                raise CheckFailed(f'at {ratio} x and {width} x {height}: canvas at {device} device '
                                  f'pixels, not {320 * scale} x {200 * scale} at whole pixels')


# The sharp show's size in a window of (device pixel ratio, CSS width, CSS
# height), worked out by hand: the window's device pixels (rounded down)
# scaled evenly down to at most 960 x 600 pixels, then rounded down to even.
# 1200 x 750 scales by 0.8; 2560 x 1440 by sqrt(576000 / 3686400) =
# 0.39528..., to 1011.9 x 569.2; 701 x 451 is under the budget and only
# loses its odd pixels; so does 700.5 x 451.5, rounded down to 700 x 451.
SHARP_SIZES = [((1.5, 800, 500), (960, 600)), ((2.0, 1280, 720), (1010, 568)),
               ((1.0, 701, 451), (700, 450)), ((1.5, 467, 301), (700, 450))]
SHARP_BUDGET = 960 * 600
# The moment the sharp show holds, and the size its window gives.
SHARP_HELD, SHARP_WINDOW = '40.5', SHARP_SIZES[0]


async def check_sharp_sizes(browser, base):
    """?resolution=native draws a still at the window's sharp size."""
    for metrics, size in SHARP_SIZES:
        async with browser.page('about:blank') as page:
            await emulate(page, metrics)
            await page.navigate(f'{base}/good/index.html?still=0&resolution=native')
            await page.wait(lambda r: TITLE_FRAME.match(r['title']) or r['title'].startswith(TITLE_ERROR),
                            'frame title')
            canvas = await page.evaluate(CANVAS_SIZE)
        if canvas != list(size) or canvas[0] * canvas[1] > SHARP_BUDGET:
            raise CheckFailed(f'a window of {metrics[1]} x {metrics[2]} at {metrics[0]} x drew the sharp '
                              f'still at {canvas}, not {list(size)}')


async def check_sharp_show(browser, base, sharp, classic):
    """The show at ?resolution=native&t=...&pause holds the native frame of
    its sharp size; R switches to the classic frame and the page's button
    back, the status line names the size, and a copied link opens the
    sharp show again."""
    size = SHARP_WINDOW[1]
    wide = f'{size[0]}x{size[1]}'
    async with browser.page('about:blank') as page:
        await emulate(page, SHARP_WINDOW[0])
        await page.navigate(f'{base}/good/index.html?mute&resolution=native&t={SHARP_HELD}&pause')
        ticks = ticks_of(SHARP_HELD)
        await held_frame(page, ticks, sharp, 'the sharp show')
        await sharp_fetches(page, 1, 'a ?resolution start')
        for want, expected, switch in ((CLASSIC, classic, 'R'), (size, sharp, 'button')):
            label = await page.evaluate('document.getElementById("resolution").textContent')
            if label != ('Sharp' if want == size else 'Classic'):
                raise CheckFailed(f'the switch to {want[0]} x {want[1]} is labelled {label!r}')
            if switch == 'R':
                await page.press('R')
            else:
                await page.evaluate('document.getElementById("resolution").click()')
            deadline = time.monotonic() + 30.0
            while await page.evaluate(CANVAS_SIZE) != list(want) and time.monotonic() < deadline:
                await asyncio.sleep(POLL)
            await held_frame(page, ticks, expected, f'{switch} to {want[0]} x {want[1]}')
            if await page.evaluate('vx1State.size') != list(want):
                raise CheckFailed(f'after {switch} the page reports the size '
                                  f'{await page.evaluate("vx1State.size")}')
        await sharp_fetches(page, 1, 'switches after a ?resolution start')
        await page.press('Tab')
        status, deadline = '', time.monotonic() + 10.0
        while time.monotonic() < deadline and f'  {wide}  ' not in status:
            await asyncio.sleep(POLL)
            status = await page.evaluate('document.getElementById("status").innerText')
        if f'  {wide}  ' not in status:
            raise CheckFailed(f'the sharp show\'s status line reads {status!r}, without {wide}')
        link = await copied_link(page)
        await page.press('Escape')
    if 'resolution=native' not in link:
        raise CheckFailed(f'the link to a sharp moment is {link!r}')
    async with browser.page('about:blank') as again:
        await emulate(again, SHARP_WINDOW[0])
        await again.navigate(link)
        await held_frame(again, ticks, sharp, 'the copied link')


# How often the page asked for the sharp archive, served or cached (every
# fetch leaves a resource timing entry).
SHARP_REQUESTS = ('performance.getEntriesByType("resource")'
                  f'.filter(e => new URL(e.name).pathname.endsWith("/{SHARP_ARCHIVE}")).length')
# The download made slow enough (a 404 too) that a second switch lands while it runs.
SLOW_NETWORK = {'offline': False, 'latency': 500, 'downloadThroughput': 8 * 2**20, 'uploadThroughput': -1}


async def sharp_fetches(page, want, what):
    got = await page.evaluate(SHARP_REQUESTS)
    if got != want:
        raise CheckFailed(f'{what}: the page asked for {SHARP_ARCHIVE} {got} times, not {want}')


async def switch_to_sharp(page, size):
    """From the classic show held paused: R while the sharp archive
    downloads, and R again before it is in, which adds nothing; the canvas
    then takes the sharp size."""
    await page.cdp('Network.enable')
    # The throttle holds back the network only: an archive in the HTTP cache
    # (the sharp show's check fetched it, and python's server lets the cache
    # keep a file for a tenth of its age) would be in before the first look.
    await page.cdp('Network.setCacheDisabled', {'cacheDisabled': True})
    await page.cdp('Network.emulateNetworkConditions', SLOW_NETWORK)
    await page.press('R')
    if await page.evaluate('vx1State.sharpArchive') != 'downloading':
        raise CheckFailed(f'R did not start the download: {await page.evaluate("vx1State.sharpArchive")}')
    await page.press('R')
    deadline = time.monotonic() + 30.0
    while await page.evaluate(CANVAS_SIZE) != list(size) and time.monotonic() < deadline:
        await asyncio.sleep(POLL)
    await asyncio.sleep(1.0)  # a second switch would come by now
    if await page.evaluate(CANVAS_SIZE) != list(size):
        raise CheckFailed(f'after R, R the canvas is {await page.evaluate(CANVAS_SIZE)}, not {list(size)}')


async def check_sharp_on_demand(browser, base, variant, classic, sharp, state):
    """A classic start asks for no sharp archive; the first R fetches it
    once (a second R during the download adds nothing), and the held frame
    is then native vx1's with what the variant's folder holds; R twice more
    switches back and forth without fetching again. state: the page's
    sharpArchive after the download (joined, or absent with a notice).
    Where it joined, Play again after Escape starts the sharp show the run
    ended with, without sound as it was, the archive kept and not fetched
    again."""
    size = SHARP_WINDOW[1]
    ticks = ticks_of(SHARP_HELD)
    async with browser.page('about:blank') as page:
        await emulate(page, SHARP_WINDOW[0])
        await page.navigate(f'{base}/{variant}/index.html?mute&t={SHARP_HELD}&pause')
        await held_frame(page, ticks, classic, 'the classic show')
        await sharp_fetches(page, 0, 'a classic start')
        await switch_to_sharp(page, size)
        await held_frame(page, ticks, sharp, 'the first switch to the sharp show')
        await sharp_fetches(page, 1, 'the first switch')
        got = await page.evaluate('vx1State.sharpArchive')
        notice = await page.evaluate('document.getElementById("notice").hidden ? "" : '
                                     'document.getElementById("notice").innerText')
        if got != state or (state == 'absent') != ('classic data' in notice):
            raise CheckFailed(f'after the download the page holds the sharp archive as {got!r} '
                              f'and says {notice!r}')
        for want, expected in ((CLASSIC, classic), (size, sharp)):
            await page.press('R')
            deadline = time.monotonic() + 30.0
            while await page.evaluate(CANVAS_SIZE) != list(want) and time.monotonic() < deadline:
                await asyncio.sleep(POLL)
            await held_frame(page, ticks, expected, f'R to {want[0]} x {want[1]}')
        await sharp_fetches(page, 1, 'later switches')
        await page.press('Escape')
        if state != 'joined':
            return
        await page.wait(lambda r: r['state']['phase'] == 'ended', 'the end after Escape', 30.0)
        await in_place(page, 'again', 'play again at the sharp size', within=None)
        deadline = time.monotonic() + 10.0
        while await page.evaluate(CANVAS_SIZE) != list(size) and time.monotonic() < deadline:
            await asyncio.sleep(POLL)
        # A page without sound has no AudioContext: the program refuses to
        # play with sound there, so the show's clock tells that mute was kept.
        again = [await page.evaluate(CANVAS_SIZE), await page.evaluate('vx1State.sharpArchive')]
        if again != [list(size), 'joined']:
            raise CheckFailed(f'play again after the sharp show drew at {again[0]}, the sharp archive {again[1]}')
        await sharp_fetches(page, 1, 'play again at the sharp size')


def check_download_size(web_dir):
    """The sharp show's download in the page, printed; at most 12 MB."""
    sizes = {f: os.path.getsize(os.path.join(web_dir, f)) for f in SHARP_DOWNLOAD}
    total = sum(sizes.values())
    print('  the sharp show downloads ' + ', '.join(f'{f} {n / 2**20:.2f}' for f, n in sizes.items()) +
          f' = {total / 2**20:.2f} MB (at most {SHARP_DOWNLOAD_LIMIT / 2**20:.0f})', flush=True)
    if total > SHARP_DOWNLOAD_LIMIT:
        raise CheckFailed(f'the sharp show downloads {total} bytes, more than {SHARP_DOWNLOAD_LIMIT}')
