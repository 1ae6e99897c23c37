"""The help (?) at phone, tablet and desktop windows, touch screens too: in
the window, clear of the status line and the seek bar, its text whole or
scrolling, the keys or the taps told."""
import asyncio

from .common import CheckFailed

# The windows the help must fit, as (device pixel ratio, CSS width, CSS
# height, a touch screen): phones upright and on their side, a tablet, and
# desktops with the seek bar below the status line and, at 1280 x 720,
# lifted above it.
HELP_WINDOWS = [(3.0, 360, 640, True), (3.0, 390, 844, True), (3.0, 640, 360, True),
                (2.0, 768, 1024, True), (1.0, 1366, 768, False), (2.0, 1280, 720, False),
                (1.0, 800, 600, False)]
# The help's layout: the boxes [left, top, right, bottom] of it, the status
# line, the bar and the ? button (null where hidden), and whether its text
# fits or scrolls and which of its lists show.
HELP_LAYOUT = ('(() => { const box = id => { const e = document.getElementById(id);'
               ' if (!e || e.hidden) return null; const r = e.getBoundingClientRect();'
               ' return [r.left, r.top, r.right, r.bottom]; };'
               ' const help = document.getElementById("help");'
               ' const shown = s => [...help.querySelectorAll(s)].some(e => e.offsetHeight > 0);'
               ' return {help: box("help"), status: box("status"), controls: box("controls"),'
               ' button: box("helpbutton"), window: [innerWidth, innerHeight],'
               ' wide: help.scrollWidth > help.clientWidth, tall: help.scrollHeight > help.clientHeight,'
               ' scrolls: ["auto", "scroll"].includes(getComputedStyle(help).overflowY),'
               ' keys: shown("dl.keys"), taps: shown("dl.touch")}; })()')


def help_faults(layout, touch):
    """What is wrong with the help as HELP_LAYOUT reads it."""
    width, height = layout['window']

    def inside(box):
        return box[0] >= 0 and box[1] >= 0 and box[2] <= width and box[3] <= height

    def meet(a, b):
        return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]

    panel = layout['help']
    if panel is None or panel[2] <= panel[0] or panel[3] <= panel[1]:
        return ['it is not shown']
    faults = [] if inside(panel) else [f'it runs out of the window: {[round(v) for v in panel]}']
    for name in ('status', 'controls'):
        other = layout[name]
        if other is None or other[3] <= other[1]:
            faults.append(f'the {name} is not shown to keep clear of')
        elif meet(panel, other):
            faults.append(f'it overlaps the {name} at {[round(v) for v in other]}: {[round(v) for v in panel]}')
    if layout['wide']:
        faults.append('its text is cut at the side')
    if layout['tall'] and not layout['scrolls']:
        faults.append('its text is cut below and does not scroll')
    if (layout['keys'], layout['taps']) != (not touch, touch):
        faults.append(f'it tells the keys: {layout["keys"]}, the taps: {layout["taps"]}')
    if layout['button'] is None or not inside(layout['button']):
        faults.append(f'the ? button is not on the screen: {layout["button"]}')
    return faults


async def help_layout(page):
    """With the status line on and the bar showing, ? opens the help; at
    each of HELP_WINDOWS it has none of help_faults; the ? button closes it."""
    await page.press('Help')
    try:
        for ratio, width, height, touch in HELP_WINDOWS:
            await page.cdp('Emulation.setTouchEmulationEnabled', {'enabled': touch})
            await page.cdp('Emulation.setDeviceMetricsOverride', {
                'width': width, 'height': height, 'deviceScaleFactor': ratio, 'mobile': touch})
            await asyncio.sleep(0.25)  # the resize reaches the page's layout at its next frame
            faults = help_faults(await page.evaluate(HELP_LAYOUT), touch)
            if faults:
                raise CheckFailed(f'the help at {width} x {height} ({ratio} x{", touch" if touch else ""}): ' +
                                  '; '.join(faults))
    finally:
        await page.cdp('Emulation.setTouchEmulationEnabled', {'enabled': False})
        await page.cdp('Emulation.clearDeviceMetricsOverride')
    await page.evaluate('document.getElementById("helpbutton").click()')
    if not await page.evaluate('document.getElementById("help").hidden'):
        raise CheckFailed('the ? button left the help open')
