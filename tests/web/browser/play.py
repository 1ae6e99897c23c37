"""The show playing: on its music clock until Escape, then again in place;
and ?loop playing past the end."""
import asyncio
import time

from .common import CANVAS_DIGEST, POLL, CheckFailed, copied_link, link_query, ticks_of
from .replay import play_again

PLAY_SECONDS = 6.0  # at least 5 s of the clock running


async def check_play(browser, base, press_enter=False):
    async with browser.page(f'{base}/good/index.html') as page:
        if press_enter:
            # Where the browser lets the sound start at once, the show starts
            # by itself; otherwise the start button has the focus, and Enter
            # starts it as a click does.
            await page.wait(lambda r: r['state'] and r['state']['phase'] != 'downloading',
                            'the end of the download')
            if await page.evaluate('!document.getElementById("ready").hidden'):
                await page.press('Enter')
        # The loading screen presents frames before the music starts; the
        # show has started once the music clock reads above zero.
        loaded = time.monotonic()
        start = await page.wait(lambda r: r['state'] and (r['state']['phase'] in ('error', 'ended') or
                                                          r['state']['ticks'] > 0),
                                'start of the music clock')
        if start['state']['phase'] != 'playing':
            raise CheckFailed(f'the show did not play: phase {start["state"]["phase"]}, '
                              f'title {start["title"]!r}')
        delay = await page.evaluate('vx1State.startToMusic')
        print(f'  play: the music clock started {time.monotonic() - loaded:.1f} s after the page opened, '
              f'{delay:.1f} s after the start (the click)', flush=True)
        t0 = time.monotonic()
        first = previous = start['state']
        canvases = {await page.evaluate(CANVAS_DIGEST)}
        next_snapshot = t0 + 1.0
        while time.monotonic() - t0 < PLAY_SECONDS:
            await asyncio.sleep(POLL)
            now = (await page.state())['state']
            if now['phase'] != 'playing':
                raise CheckFailed(f'the show left "playing" after {time.monotonic() - t0:.1f} s: '
                                  f'phase {now["phase"]}, message {now["message"]!r}')
            if now['ticks'] < previous['ticks']:
                raise CheckFailed(f'the clock ran backwards: {previous["ticks"]} -> {now["ticks"]} ticks')
            previous = now
            if time.monotonic() >= next_snapshot:
                canvases.add(await page.evaluate(CANVAS_DIGEST))
                next_snapshot += 1.0
        wall = time.monotonic() - t0
        clock = (previous['ticks'] - first['ticks']) / 120.0
        frames = previous['frames'] - first['frames']
        print(f'  play: {wall:.1f} s of real time, the clock moved {clock:.2f} s '
              f'({first["ticks"]:.1f} -> {previous["ticks"]:.1f} ticks), '
              f'{frames} frames ({frames / wall:.0f} a second), {len(canvases)} different canvases',
              flush=True)
        # The music clock is real time: well below it is a stalled clock,
        # well above it one that runs away.
        if not 0.5 * wall <= clock <= 1.5 * wall + 0.5:
            raise CheckFailed(f'the clock moved {clock:.2f} s in {wall:.1f} s of real time')
        if frames < 5 * wall:
            raise CheckFailed(f'only {frames} frames presented in {wall:.1f} s')
        if None in canvases or len(canvases) < 2:
            raise CheckFailed('the canvas showed the same picture all along' if None not in canvases
                              else 'the page has no canvas')
        await page.press('Escape')
        ended = await page.wait(lambda r: r['state']['phase'] != 'playing', 'end after Escape', 30.0)
        if ended['state']['phase'] != 'ended':
            raise CheckFailed(f'Escape gave phase {ended["state"]["phase"]}, not "ended"')
        await asyncio.sleep(1.0)
        after = (await page.state())['state']
        if after['frames'] != ended['state']['frames']:
            raise CheckFailed(f'frames still presented after the end: {ended["state"]["frames"]} -> '
                              f'{after["frames"]}')
        await play_again(page)


# ?loop from half a second before the end.
LOOP_FROM = '120.5'


async def check_loop(browser, base):
    """?loop&t=120.5 plays past the end from the start again, the page
    playing on (no end), a copied link keeps loop, and Escape ends it."""
    async with browser.page(f'{base}/good/index.html?loop&t={LOOP_FROM}') as page:
        late = await page.wait(lambda r: r['state'] and (r['state']['phase'] in ('error', 'ended') or
                                                         r['state']['ticks'] > 0), 'the show\'s clock')
        if late['state']['phase'] != 'playing' or late['state']['ticks'] < ticks_of(LOOP_FROM) - 12:
            raise CheckFailed(f'?loop&t={LOOP_FROM} started at {late["state"]}')
        back = await page.wait(lambda r: r['state']['phase'] != 'playing' or r['state']['ticks'] < 240,
                               'the clock back at the start', 30.0)
        if back['state']['phase'] != 'playing':
            raise CheckFailed(f'the show with ?loop ended at its end: phase {back["state"]["phase"]}')
        link = await copied_link(page)
        if 'loop' not in link_query(link):
            raise CheckFailed(f'the link copied from a looping show is {link!r}')
        await page.press('Escape')
        ended = await page.wait(lambda r: r['state']['phase'] != 'playing', 'the end after Escape', 30.0)
        if ended['state']['phase'] != 'ended':
            raise CheckFailed(f'Escape gave phase {ended["state"]["phase"]}, not "ended"')
