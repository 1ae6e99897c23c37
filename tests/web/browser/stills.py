"""The still check: a frame of the page against native vx1's."""
import asyncio

from .common import CANVAS_SIZE, CLASSIC, TITLE_ERROR, TITLE_FRAME, CheckFailed

# The moments of the still check: every slot's middle, and the bounds where
# the time line's extended-precision constants meet single-precision time.
# Seconds become ticks as (float)(seconds * 120): 10.953 s is 1314.35998...,
# the logo's last tick below 1314.36, and 10.9530009 s the next float, the
# kinyit slot's first. labda is in no slot: its stills are the effect
# test's frames (vx1 e --screenshot, the page's ?still=SECONDS&e).
STILLS = [
    ('logo-first', '0'),
    ('logo-last', '10.953'),
    ('kinyit-first', '10.9530009'),
    ('kinyit-middle', '15.3045'),
    ('kinyit-last', '19.656'),
    ('libiko-middle', '26.628'),
    ('blau-first', '33.6'),
    ('blau-middle', '40.5'),
    ('box-first', '47.359'),
    ('box-middle', '50.892'),
    ('blau-again-middle', '61.4125'),
    ('evil-middle', '75.325'),
    ('kommun-last', '92.84'),
    ('effekt-middle', '96.9875'),
    ('kinyit-backwards-first', '101.135'),
    ('kinyit-backwards-middle', '105.4775'),
    ('danke-middle', '115.785'),
    ('after-the-last-frame', '120.5'),
]
# Firefox draws a spread of them: one in each kind of scene.
FIREFOX_STILLS = [still for still in STILLS if still[0] in
                  ('logo-first', 'kinyit-middle', 'blau-middle', 'evil-middle', 'effekt-middle', 'danke-middle')]
LABDA_STILLS = [
    ('labda-contact-sheet-moment', '6.9875'),
    ('labda-late', '60.3'),
]

# The sharp still, compared with vx1 --screenshot at its size.
SHARP_STILL = ('40.5', (1280, 720))


async def check_still(browser, base, name, seconds, expected, effect=False, size=None):
    """size: (width, height) of a sharp still (?resolution=WxH), whose
    canvas must be that size too."""
    query = f'still={seconds}' + ('&e' if effect else '') + (f'&resolution={size[0]}x{size[1]}' if size else '')
    async with browser.page(f'{base}/good/index.html?{query}') as page:
        done = await page.wait(lambda r: TITLE_FRAME.match(r['title']) or
                               r['title'].startswith(TITLE_ERROR), 'frame title')
        if done['title'].startswith(TITLE_ERROR):
            raise CheckFailed(f'the page failed: {done["title"]}')
        digest = TITLE_FRAME.match(done['title'])[1]
        if digest != expected:
            raise CheckFailed(f'browser frame {digest[:16]}... != native frame {expected[:16]}...')
        canvas = await page.evaluate(CANVAS_SIZE)
        if canvas != list(size or CLASSIC):
            raise CheckFailed(f'the canvas is {canvas}, not {list(size or CLASSIC)}')
        # One frame, then nothing more.
        await asyncio.sleep(0.5)
        later = await page.state()
        if later['title'] != done['title'] or (done['state'] and later['state'] and
                                               later['state']['frames'] != done['state']['frames']):
            raise CheckFailed(f'the page went on drawing after the still '
                              f'(frames {done["state"]["frames"]} -> {later["state"]["frames"]})')
