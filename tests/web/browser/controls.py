"""The page's controls in one visit: ?t=&pause and the media session's
seekto hold native frames, the seek bar, the keys and the music heard after
seeks, the help, a tap, and a copied link opening on the held moment."""
import asyncio
import time

from .common import (CANVAS_DIGEST, POLL, TITLE_ERROR, TITLE_FRAME, CheckFailed, copied_link, held_frame,
                     single, ticks_of)
from .help import help_layout

# A link to a moment's frame, from the page's opening: 1.2 s here; the
# loading screen's fades alone took 7 s.
LINK_SECONDS = 4.0

# The page's media session handlers, kept where the check can call them.
MEDIA_HANDLERS = ('window.vx1Media = {}; if (navigator.mediaSession) { const set = '
                  'navigator.mediaSession.setActionHandler.bind(navigator.mediaSession); '
                  'navigator.mediaSession.setActionHandler = (name, handler) => '
                  '{ window.vx1Media[name] = handler; set(name, handler); }; }')
MEDIA_ACTIONS = {'play', 'pause', 'seekbackward', 'seekforward', 'seekto'}
# Every music source started and stopped: its offset and context time.
AUDIO_SOURCES = ('window.vx1Sources = {started: [], stopped: 0}; {'
                 ' const p = AudioBufferSourceNode.prototype, start = p.start, stop = p.stop;'
                 ' p.start = function(when, offset) { vx1Sources.started.push({offset: offset || 0,'
                 ' at: this.context.currentTime}); return start.apply(this, arguments); };'
                 ' p.stop = function() { vx1Sources.stopped++; return stop.apply(this, arguments); }; }')
# The music heard against the clock: the last source's offset plus the
# context time since its start, less the output's latency, in ticks.
HEARD_TICKS = ('(() => { const a = Module.vx1Audio, s = vx1Sources.started[vx1Sources.started.length - 1];'
               ' const heard = s.offset + a.currentTime - s.at - (a.baseLatency || 0) - (a.outputLatency || 0);'
               ' return {clock: vx1State.ticks, heard: heard * 120, sounding: vx1Sources.started.length -'
               ' vx1Sources.stopped}; })()')
# The moments the controls check holds: where ?t=...&pause starts, and where
# the media session's seekto lands; the seek bar is clicked at the third.
HELD_START, HELD_SEEKTO, BAR_TARGET, BAR_SLOT = '47.4', '26.628', 75.325, 'evil'
# The views inside the engine the check holds at those two moments: the
# first reached with V, the second with its button.
HELD_VIEWS = ((HELD_START, 'wire'), (HELD_SEEKTO, 'depth'))
# How long a held frame may take to show a view chosen: a few frames.
VIEW_SECONDS = 5.0
VIEW_BUTTON = ('Array.from(document.querySelectorAll("#views button"))'
               '.find(b => b.textContent === "%s").click()')


def view_still(seconds, view):
    """The name of a held moment's still in a view."""
    return f'{seconds}-{view}'


async def switched(page, seconds, digest, choose, what):
    """choose() changes the view of the frame held at seconds: the title
    comes to name the native frame's digest. It may name the views passed
    on the way first (V twice is two inputs, perhaps two frames apart), so
    the check waits for the digest and reports the last one seen."""
    await choose()

    def shows(r):
        m = TITLE_FRAME.match(r['title'])
        return r['state']['ticks'] == ticks_of(seconds) and m is not None and m[1] == digest
    try:
        await page.wait(shows, what, timeout=VIEW_SECONDS)
    except CheckFailed:
        title = (await viewer(page))['title']
        raise CheckFailed(f'{what}: browser frame {title[10:26]}... != native frame {digest[:16]}...')


async def held_view(page, seconds, view, expected, choose):
    """The page holding seconds shows view's native frame once choose()
    switched to it, and the finished frame again at its button."""
    await switched(page, seconds, expected[view_still(seconds, view)], choose, f'the {view} view')
    await switched(page, seconds, expected[seconds], lambda: page.evaluate(VIEW_BUTTON % 'frame'),
                   'the frame view\'s button')


async def viewer(page):
    return await page.evaluate('({title: document.title, ticks: vx1State.ticks, paused: vx1State.paused,'
                               ' frames: vx1State.frames, phase: vx1State.phase})')


async def held_start(page, base, expected):
    """?t=&pause holds the native frame of that moment, presenting on; the
    media session's seekto lands on another native frame."""
    await page.cdp('Page.addScriptToEvaluateOnNewDocument', {'source': MEDIA_HANDLERS + AUDIO_SOURCES})
    await page.navigate(f'{base}/good/index.html?t={HELD_START}&pause')
    first = await held_frame(page, ticks_of(HELD_START), expected[HELD_START], '?t=&pause')

    async def press_v_twice():  # the views' key: frame, raster, wire
        await page.press('V')
        await page.press('V')
    (_, first_view), (_, second_view) = HELD_VIEWS
    await held_view(page, HELD_START, first_view, expected, press_v_twice)
    canvas = await page.evaluate(CANVAS_DIGEST)
    await asyncio.sleep(1.0)
    later = await viewer(page)
    if (later['frames'] <= first['state']['frames'] or later['ticks'] != first['state']['ticks'] or
            later['title'] != first['title'] or await page.evaluate(CANVAS_DIGEST) != canvas):
        raise CheckFailed(f'the pause did not hold the frame: {first["state"]} -> {later}')
    handlers = set(await page.evaluate('Object.keys(window.vx1Media)'))
    if not MEDIA_ACTIONS <= handlers:
        raise CheckFailed(f'media session handlers {sorted(handlers)}, not all of {sorted(MEDIA_ACTIONS)}')
    await page.evaluate(f'vx1Media.seekto({{action: "seekto", seekTime: {HELD_SEEKTO}}})')
    await held_frame(page, ticks_of(HELD_SEEKTO), expected[HELD_SEEKTO], 'media seekto')
    await held_view(page, HELD_SEEKTO, second_view, expected,
                    lambda: page.evaluate(VIEW_BUTTON % second_view))


async def seek_bar(page):
    """The bar shows on a pointer movement; a click at its x lands in the
    slot there, which the status line (Tab) names. Returns the reading."""
    await page.move(10, 10)
    bar = await page.evaluate('(() => { const r = document.getElementById("seek").getBoundingClientRect();'
                              ' return [r.left, r.top, r.width, r.height]; })()')
    x, y = bar[0] + bar[2] * BAR_TARGET / 121.0, bar[1] + bar[3] / 2
    await page.click(x, y)
    await page.press('Tab')
    landed = await page.wait(lambda r: abs(r['state']['ticks'] / 120 - BAR_TARGET) < 0.5, 'the seek bar\'s seek')
    # The line is written at the next present after the key.
    status, deadline = '', time.monotonic() + 10.0
    while time.monotonic() < deadline and not (f' {BAR_SLOT} ' in status and 'PAUSED' in status):
        await asyncio.sleep(POLL)
        status = await page.evaluate('document.getElementById("status").innerText')
    if f' {BAR_SLOT} ' not in status or 'PAUSED' not in status:
        raise CheckFailed(f'after the seek bar\'s click at {BAR_TARGET} s the status reads {status!r}')
    return landed


async def keys_and_music(page, landed):
    """Right moves a held frame by 5 s; Space plays on; after seeks while
    playing one music source sounds, where the clock says (a frame's time
    apart at most). Prints the seeks' latency."""
    await page.press('Right')
    stepped = await page.wait(lambda r: r['state']['ticks'] != landed['state']['ticks'], 'the seek by Right')
    if stepped['state']['ticks'] != single(landed['state']['ticks'] + 600.0):
        raise CheckFailed(f'Right moved {landed["state"]["ticks"]} to {stepped["state"]["ticks"]} ticks')
    await page.press('Space')
    await page.wait(lambda r: r['state']['ticks'] > stepped['state']['ticks'] + 60 and
                    not TITLE_FRAME.match(r['title']), 'the show playing on after Space')
    for _ in range(3):
        await page.press('Right')
        await asyncio.sleep(1.0)
    music = await page.evaluate(HEARD_TICKS)
    if music['sounding'] != 1 or abs(music['clock'] - music['heard']) > 12.0:
        raise CheckFailed(f'after the seeks {music["sounding"]} music sources sound, the last at '
                          f'{music["heard"]:.1f} ticks, the clock at {music["clock"]:.1f}')
    seeks = await page.evaluate('vx1State.seeks')
    playing = [s for s in seeks if s['toMusic'] is not None]
    if len(playing) < 3:
        raise CheckFailed(f'the seeks while playing were not timed: {seeks}')
    figures = {k: sorted(s[k] for s in playing) for k in ('toFrame', 'toShown', 'toMusic')}
    latency = await page.evaluate('(a => a ? 1000 * ((a.baseLatency || 0) + (a.outputLatency || 0)) : 0)'
                                  '(Module.vx1Audio)')
    print('  seek latency (ms, input to): ' + ', '.join(
        f'{k} {v[len(v) // 2]:.1f} (max {v[-1]:.1f})' for k, v in figures.items()) +
        f'; the output then takes {latency:.1f} ms more to be heard; the clock '
        f'{music["clock"] - music["heard"]:+.1f} ticks from the music heard', flush=True)


async def check_controls(browser, base, expected):
    """The page's controls end to end, in one visit; then a tap pauses and
    the link to the held moment opens on the same frame."""
    async with browser.page('about:blank') as page:
        await held_start(page, base, expected)
        await keys_and_music(page, await seek_bar(page))
        await help_layout(page)
        await page.tap(300, 200)
        paused = await page.wait(lambda r: TITLE_FRAME.match(r['title']), 'the frame title after a tap')
        link = await copied_link(page)
        await page.press('Escape')
    if not link.endswith('&pause'):
        raise CheckFailed(f'the link to a paused moment is {link!r}')
    opened = time.monotonic()
    async with browser.page(link) as again:
        r = await again.wait(lambda r: TITLE_FRAME.match(r['title']) or r['title'].startswith(TITLE_ERROR),
                             'the copied link\'s frame')
        # A link to a moment shows it without the loading screen's fades
        # (7 s): what is left is the download, the compile and the scenes'
        # load.
        spent = time.monotonic() - opened
        print(f'  link: the copied link showed its frame {spent:.1f} s after the page opened', flush=True)
        if spent > LINK_SECONDS:
            raise CheckFailed(f'the copied link took {spent:.1f} s to its frame (at most {LINK_SECONDS})')
        if r['title'] != paused['title'] or r['state']['ticks'] != paused['state']['ticks']:
            raise CheckFailed(f'the link {link} opened at {r["state"]["ticks"]} ticks ({r["title"][:26]}), '
                              f'not {paused["state"]["ticks"]} ({paused["title"][:26]})')
