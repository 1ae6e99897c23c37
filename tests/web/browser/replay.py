"""The show started again in its page: Play again on an ended show, and the
in-place start that Play again and Play without sound share."""
import asyncio
import json

from .common import ARCHIVE, TITLE_FRAME, CheckFailed

# Play again and Play without sound, from the click to the show's frame in
# the same page: 0.7 to 1.4 s here on a busy machine, nearly all of it the
# scenes' load; the fades and a reload took 8 s. (The sharp show's scenes
# alone take 1.8 to 3.2 s to load here: its replay is timed, not bounded.)
REPLAY_SECONDS = 2.0
# A clock that starts again reads below this at first (3 s): where the
# play check ends it, it stood at 6 s or more.
AGAIN_TICKS = 360.0
# How often the page fetched each of its files, as its resource timing
# entries have it (a cached fetch too); a reload starts a new list.
PAGE_FILES = ['vx1.js', 'vx1.wasm', ARCHIVE]
FETCHES = ('(names => Object.fromEntries(names.map(n => [n, performance.getEntriesByType("resource")'
           '.filter(e => new URL(e.name).pathname.endsWith("/" + n)).length])))(' + json.dumps(PAGE_FILES) + ')')


async def in_place(page, button, what, within=REPLAY_SECONDS):
    """Clicks the panel's button and waits for the clock of the show it
    starts; the page must be the same (a mark on its window survives a
    replay, not a reload), must have fetched none of its files again, and
    must show the show's frame within that many seconds of the click (if
    any), as the page measures it. Returns the first reading with the clock
    running."""
    fetched = await page.evaluate(FETCHES)
    await page.evaluate(f'window.vx1Kept = true; document.getElementById("{button}").click()')
    first = await page.wait(lambda r: r['state'] and (r['state']['phase'] == 'error' or (
        r['state']['phase'] == 'playing' and r['state']['ticks'] > 0)), f'{what}: the show\'s clock')
    if first['state']['phase'] == 'error':
        raise CheckFailed(f'{what}: {first["title"]!r}')
    if not await page.evaluate('window.vx1Kept === true'):
        raise CheckFailed(f'{what} loaded the page again')
    again = await page.evaluate(FETCHES)
    if again != fetched:
        raise CheckFailed(f'{what} fetched the page\'s files again: {fetched} -> {again}')
    frame, shown = await page.evaluate('[vx1State.startToFrame, vx1State.startToShow]')
    print(f'  {what}: its first frame {1000 * frame:.0f} ms after the click, the show\'s frame '
          f'{1000 * shown:.0f} ms', flush=True)
    if shown <= 0 or (within is not None and shown > within):
        raise CheckFailed(f'{what}: the show\'s frame came {shown:.2f} s after the click (at most {within})')
    return first


# The music's decodings from now on, counted in window.vx1Decodes.
COUNT_DECODES = ('window.vx1Decodes = 0; { const p = AudioContext.prototype, decode = p.decodeAudioData;'
                 ' p.decodeAudioData = function() { vx1Decodes++; return decode.apply(this, arguments); }; }')


async def play_again(page):
    """On the ended show, Play again starts it in place from near 0 with
    the music decoded for the first run; it plays on, its seek bar has one
    set of marks, and its Pause button acts once (listeners of the run
    before would undo each click)."""
    marks = '#seek .slot'
    before = await page.evaluate(f'document.querySelectorAll("{marks}").length')
    await page.evaluate(COUNT_DECODES)
    first = await in_place(page, 'again', 'play again')
    if first['state']['ticks'] >= AGAIN_TICKS:
        raise CheckFailed(f'play again started at {first["state"]["ticks"]:.0f} ticks, not from the start')
    decodes = await page.evaluate('window.vx1Decodes')
    if decodes != 0:
        raise CheckFailed(f'play again decoded the music {decodes} times more, not once for all runs')
    await asyncio.sleep(1.0)
    later = (await page.state())['state']
    if later['phase'] != 'playing' or later['ticks'] < first['state']['ticks'] + 60 or \
            later['frames'] <= first['state']['frames']:
        raise CheckFailed(f'the show again did not play on: {first["state"]} -> {later}')
    after = await page.evaluate(f'document.querySelectorAll("{marks}").length')
    if after != before or before == 0:
        raise CheckFailed(f'the seek bar has {after} slot marks after play again, {before} before')
    await page.evaluate('document.getElementById("playpause").click()')
    await page.wait(lambda r: TITLE_FRAME.match(r['title']), 'the pause by the button', 10.0)
    await asyncio.sleep(0.5)
    if not await page.evaluate('vx1State.paused'):
        raise CheckFailed('the Pause button paused and played on at once')
