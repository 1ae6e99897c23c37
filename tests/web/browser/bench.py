"""?bench: the page's table of frame times beside native vx1 --bench's."""
import re

from .common import CheckFailed

# The size of the sharp bench (the most the page draws: sharpSize in
# web/index.html).
SHARP_BENCH = (960, 600)
BENCH_ROW = re.compile(r'^(\w+)\s+(\d+)\s+(\d+\.\d+)\s+(\d+\.\d+)\s+(\d+\.\d+)$')
BENCH_SHOW = re.compile(r'^show\s+(\d+)\s+(\d+\.\d+)$')
BENCH_HEADER = re.compile(r'^scene\s+frames\s+median ms\s+p95 ms\s+fps$')
BENCH_TITLE = re.compile(r'^Bench \(.*\)$')


def parse_bench(text):
    """The bench table: its title, then rows of (scene, frames, median, p95,
    fps) and the show's frame count; raises CheckFailed when it has no table."""
    lines = [line.rstrip() for line in text.splitlines()]
    title = next((line for line in lines if BENCH_TITLE.match(line)), None)
    header = next((i for i, line in enumerate(lines) if BENCH_HEADER.match(line)), None)
    if title is None or header is None:
        raise CheckFailed('no "Bench (...)" title and column header')
    rows, show = [], None
    for line in lines[header + 1:]:
        if m := BENCH_ROW.match(line):
            rows.append((m[1], int(m[2]), float(m[3]), float(m[4]), float(m[5])))
        elif m := BENCH_SHOW.match(line):
            show = int(m[1])
    if not rows or show is None:
        raise CheckFailed('the bench table has no scene rows or no show row')
    return title, rows, show


# A sharp scene's median the browser must keep to for 60 frames a second.
FRAME_BUDGET_MS = 16.7


async def check_bench(browser, base, native_table, size=None):
    query = 'bench' + (f'&resolution={size[0]}x{size[1]}' if size else '')
    async with browser.page(f'{base}/good/index.html?{query}') as page:
        await page.wait(lambda r: r['state'] and r['state']['phase'] in ('ended', 'error'), 'bench end',
                        timeout=600.0)
        text = await page.evaluate('(document.getElementById("console") || {}).textContent || ""')
    title, rows, show = parse_bench(text)
    n_title, n_rows, n_show = native_table
    print(f'  {"scene":<8} {"native median ms":>17} {"browser median ms":>18} {"ratio":>6}')
    natives = {r[0]: r for r in n_rows}
    for row in rows:
        native = natives.get(row[0])
        if native:
            ratio = f'{row[2] / native[2]:.1f}' if native[2] > 0 else '-'
            over = f'  over {FRAME_BUDGET_MS} ms' if size and row[2] > FRAME_BUDGET_MS else ''
            print(f'  {row[0]:<8} {native[2]:>17.3f} {row[2]:>18.3f} {ratio:>6}{over}')
    print(flush=True)
    if title != n_title:
        raise CheckFailed(f'title {title!r}, native {n_title!r}')
    layout = [(r[0], r[1]) for r in rows]
    n_layout = [(r[0], r[1]) for r in n_rows]
    if layout != n_layout or show != n_show:
        raise CheckFailed(f'rows {layout} + show {show}, native {n_layout} + show {n_show}')
    # The browser's timer is coarse (0.1 ms without cross-origin isolation),
    # so the lightest scenes may well read 0.
    if any(r[2] < 0 or r[3] < r[2] or r[4] < 0 for r in rows):
        raise CheckFailed('a negative figure, or a median above its 95th percentile')
