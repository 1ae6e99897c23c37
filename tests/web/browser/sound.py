"""A browser without a sound output: the notice, and the show without sound
going on from where it stood."""
import time

from .common import CheckFailed, copied_link, link_query
from .replay import AGAIN_TICKS, in_place

# The browser's audio clock made to stand still, as where no sound device is.
FROZEN_CLOCK = ('Object.defineProperty(AudioContext.prototype, "currentTime", '
                '{get() { return 0; }, configurable: true});')


# Where the silent show starts (a link's start: no fades to wait through).
SILENT_AT = '30'


async def check_silent(browser, base):
    """The notice comes; Play without sound goes on in place from the
    moment the show stood, on the system's clock (the audio clock stays
    frozen), and a link copied then keeps mute."""
    async with browser.page('about:blank') as page:
        await page.cdp('Page.addScriptToEvaluateOnNewDocument', {'source': FROZEN_CLOCK})
        await page.navigate(f'{base}/good/index.html?t={SILENT_AT}')
        t0 = time.monotonic()
        told = await page.wait(lambda r: r['state'] and r['state']['phase'] in ('silent', 'error', 'ended'),
                               'the no-sound notice')
        if told['state']['phase'] != 'silent':
            raise CheckFailed(f'phase {told["state"]["phase"]} instead of the no-sound notice')
        print(f'  silent: told {time.monotonic() - t0:.1f} s after the page opened', flush=True)
        stood = told['state']['ticks']
        first = await in_place(page, 'mute', 'play without sound')
        if not stood <= first['state']['ticks'] < stood + AGAIN_TICKS:
            raise CheckFailed(f'play without sound went on at {first["state"]["ticks"]:.0f} ticks, '
                              f'not where the show stood ({stood:.0f})')
        going = await page.wait(lambda r: r['state']['phase'] != 'playing' or
                                r['state']['ticks'] > first['state']['ticks'] + 240,
                                'the show without sound past 2 s')
        if going['state']['phase'] != 'playing':
            raise CheckFailed(f'the show without sound left "playing": {going["state"]}')
        link = await copied_link(page)
        if 'mute' not in link_query(link):
            raise CheckFailed(f'the link copied from the show without sound is {link!r}')
