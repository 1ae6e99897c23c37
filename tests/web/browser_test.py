#!/usr/bin/python3
"""The browser build in headless Chromium, checked against the native program.

  browser_test.py [--web DIR] [--native DIR] [--chromium PATH] [--only NAME]...
                  [--still SECONDS]... [--help]

Serves a copy of DIR (default build-web/) with `python3 -m http.server` on a
free port of 127.0.0.1, drives Chromium through chromedriver (Selenium) and
checks:
  still   ?still=SECONDS draws the very frame `vx1 --screenshot SECONDS`
          writes, at moments in every slot and on the slot bounds (or
          only at the moments --still names), and at 1280 x 720
          (?resolution=1280x720) the frame of `--resolution 1280x720`;
  play    the show starts by itself, its clock runs forward with real
          time, the picture changes, and Escape ends it; Play again
          starts it in place (no new page, nothing fetched again) from
          near 0 within 2 s of the click, with one set of seek bar marks
          and buttons that act once; ?loop&t=120.5 plays past the end from
          the start again, the page live, and its copied link keeps loop;
  controls ?t=SECONDS&pause holds the frame `vx1 --screenshot SECONDS`
          draws, and so does the media session's seekto; the seek bar,
          the keys and a copied link seek; prints the seek latency; the
          help (?) at phone, tablet and desktop windows stays inside the
          window, clear of the status line and the seek bar, its text
          whole or scrolling, the taps told on a touch screen; the
          sharp show (?resolution=native) holds the native frame of its
          size, R switches to the classic frame and back, the status line
          names the size and a copied link keeps it; a classic start asks
          for no vx-1-sharp.lib, a ?resolution start and the first R do
          once (a second R during the download adds nothing), and the
          sharp frame then equals native vx1's with both archives, or
          with the classic one alone where the server has no sharp one;
          the sharp show's download (page, program, both archives) is
          printed and must stay within 12 MB;
  errors  a missing and a damaged archive, and a damaged picture, each
          end in `vx1 error: ...` with the program's own reason, and
          nothing runs on; a still at "5%00junk" is refused; a missing
          archive or vx1.wasm, and a page opened from file://, are reported
          before any click;
  firefox the same page in Firefox ESR over WebDriver BiDi: stills of
          every kind of scene equal the native frames, and the show plays
          (started by Enter, its sound into a mock output);
  page    the whole-number scale holds in device pixels at 125 %, 150 %
          and 300 % display scaling; the sharp size of four windows is the
          one worked out by hand; a browser whose audio clock stands
          still is told so, and Play without sound goes on from that
          moment in place within 2 s, its copied link keeping mute;
  bench   ?bench prints the table of `vx1 --bench` (same rows and
          columns), shown beside the native figures; so does
          ?bench&resolution=960x600 beside one native thread's at that size,
          each median above 16.7 ms marked.
The native program is DIR/../build/vx1 unless --native names its folder; both
sides read the archives of DIR. Each failure prints one line starting with
FAIL; the exit code is 1 when any check failed, 2 when the run could not
start. Everything the run starts (the server, Chromium) and every temporary
folder is removed on every way out, Ctrl-C included.

The checks are in browser/ beside this file, a module for each group.
Needs Debian's python3-selenium, chromium-driver, chromium, firefox-esr and
python3-websockets (scripts/install-deps --web).
"""
import argparse
import asyncio
import os
import shutil
import signal
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
try:
    from browser.bench import SHARP_BENCH, check_bench, parse_bench
    from browser.chromium import Browser
    from browser.common import ARCHIVE, SHARP_ARCHIVE, TITLE_ERROR, CheckFailed
    from browser.controls import HELD_SEEKTO, HELD_START, HELD_VIEWS, check_controls, view_still
    from browser.errors import check_early_error, check_error
    from browser.firefox import Firefox
    from browser.native import native_error_lines, native_frame, native_stills, run_native
    from browser.play import check_loop, check_play
    from browser.resources import Resources, prepare_site, start_server
    from browser.sharp import (SHARP_HELD, SHARP_WINDOW, check_download_size, check_sharp,
                               check_sharp_on_demand, check_sharp_show, check_sharp_sizes)
    from browser.sound import check_silent
    from browser.stills import FIREFOX_STILLS, LABDA_STILLS, SHARP_STILL, STILLS, check_still
except ImportError as e:
    print(f'browser_test: cannot run: {e} (scripts/install-deps --web installs it)', file=sys.stderr)
    sys.exit(2)


class Results:
    def __init__(self):
        self.failures = 0
        self.timings = []

    async def case(self, name, coro):
        t0 = time.monotonic()
        try:
            await coro
            verdict = 'ok'
        except CheckFailed as e:
            verdict = 'FAIL'
            print(f'FAIL {name}: {e}', flush=True)
        except Exception as e:  # noqa: BLE001  (any surprise is this case's failure)
            verdict = 'FAIL'
            print(f'FAIL {name}: {type(e).__name__}: {e}', flush=True)
        if verdict == 'FAIL':
            self.failures += 1
        spent = time.monotonic() - t0
        self.timings.append((name, spent))
        print(f'{verdict:<4} {name} ({spent:.1f} s)', flush=True)


async def run(args, res):
    results = Results()
    web_dir = os.path.abspath(args.web)
    archive = os.path.join(web_dir, ARCHIVE)
    vx1 = os.path.join(os.path.abspath(args.native), 'vx1')
    for path in (os.path.join(web_dir, 'index.html'), archive, os.path.join(web_dir, SHARP_ARCHIVE), vx1):
        if not os.path.isfile(path):
            raise RuntimeError(f'{path} is missing (build it first: scripts/web-test does)')
    wanted = set(args.only or ['still', 'play', 'controls', 'errors', 'bench', 'page', 'firefox'])

    site = prepare_site(res, web_dir)
    if wanted & {'controls', 'page'}:
        async def size_check():
            check_download_size(web_dir)
        await results.case('the sharp show\'s download size', size_check())
    _, base = start_server(res, site)
    print(f'serving {site} on {base}', flush=True)

    if wanted & {'still', 'bench', 'errors', 'page'}:
        # No autoplay: a still or the bench must not wait for a click.
        async with Browser(res, args.chromium, [], 'plain') as browser:
            if 'still' in wanted:
                t0 = time.monotonic()
                stills, labda = STILLS, LABDA_STILLS
                if args.still:
                    stills, labda = [(f'at-{s}', s) for s in args.still], []
                expected = native_stills(res, vx1, archive, stills, labda)
                print(f'  native stills in {time.monotonic() - t0:.1f} s', flush=True)
                for name, seconds in stills:
                    await results.case(f'still {name} ({seconds} s)',
                                       check_still(browser, base, name, seconds, expected[name]))
                for name, seconds in labda:
                    await results.case(f'still {name} ({seconds} s of the effect test)',
                                       check_still(browser, base, name, seconds, expected[name],
                                                   effect=True))
                seconds, size = SHARP_STILL
                await results.case(f'still at {size[0]} x {size[1]} ({seconds} s)',
                                   check_still(browser, base, 'sharp', seconds,
                                               native_frame(res, vx1, archive, seconds, size), size=size))
            if 'errors' in wanted:
                await results.case('error missing archive before a click',
                                   check_early_error(browser, f'{base}/missing/index.html', TITLE_ERROR,
                                                     'vx-1.lib was not found on the server'))
                await results.case('error missing vx1.wasm before a click',
                                   check_early_error(browser, f'{base}/nowasm/index.html', TITLE_ERROR,
                                                     'vx1.wasm was not found on the server'))
                # The NUL would end the program's C string at "5".
                await results.case('error still at 5%00junk',
                                   check_early_error(browser, f'{base}/good/index.html?still=5%00junk',
                                                     TITLE_ERROR, '5\\0junk'))
                await results.case('error page opened from file://',
                                   check_early_error(browser, f'file://{web_dir}/index.html',
                                                     TITLE_ERROR, 'it must be served'))
            if 'page' in wanted:
                await results.case('sharp pixels at 125 %, 150 % and 300 %', check_sharp(browser, base))
                await results.case('the sharp size of four windows', check_sharp_sizes(browser, base))
            if 'bench' in wanted:
                code, out, err = run_native(vx1, ['--library', archive, '--bench'], res.root)
                if code != 0:
                    raise RuntimeError(f'vx1 --bench failed ({code}): {err.strip()}')
                await results.case('bench', check_bench(browser, base, parse_bench(out)))
                # The page draws with one thread: so does the native table beside it.
                size = SHARP_BENCH
                code, out, err = run_native(vx1, ['--library', archive, '--bench', '--threads', '1',
                                                  '--resolution', f'{size[0]}x{size[1]}'], res.root)
                if code != 0:
                    raise RuntimeError(f'vx1 --bench --resolution failed ({code}): {err.strip()}')
                await results.case(f'bench at {size[0]} x {size[1]}',
                                   check_bench(browser, base, parse_bench(out), size=size))
    if wanted & {'play', 'errors', 'page', 'controls'}:
        # The show starts as a visitor's click would start it.
        async with Browser(res, args.chromium, ['--autoplay-policy=no-user-gesture-required'],
                           'autoplay') as browser:
            if 'errors' in wanted:
                for variant in ('missing', 'truncated', 'garbage', 'badpicture'):
                    lines = native_error_lines(vx1, res, variant)
                    await results.case(f'error {variant}-archive',
                                       check_error(browser, base, variant, lines))
            if 'play' in wanted:
                await results.case('play', check_play(browser, base))
                await results.case('loop', check_loop(browser, base))
            if 'controls' in wanted:
                expected = native_stills(res, vx1, archive, [(s, s) for s in (HELD_START, HELD_SEEKTO)], [])
                for seconds, view in HELD_VIEWS:
                    expected.update(native_stills(res, vx1, archive, [(view_still(seconds, view), seconds)],
                                                  [], view))
                await results.case('controls', check_controls(browser, base, expected))
            if 'page' in wanted:
                await results.case('no sound output', check_silent(browser, base))
            if 'controls' in wanted:
                size = SHARP_WINDOW[1]
                sharp = native_frame(res, vx1, archive, SHARP_HELD, size)
                classic = native_stills(res, vx1, archive, [('sharp-held', SHARP_HELD)], [])['sharp-held']
                await results.case(f'the sharp show at {size[0]} x {size[1]} and R',
                                   check_sharp_show(browser, base, sharp, classic))
                await results.case('the sharp archive fetched at the first R',
                                   check_sharp_on_demand(browser, base, 'good', classic, sharp, 'joined'))
                # Without the sharp archive, as natively: the classic data at the sharp size.
                plain = native_frame(res, vx1, os.path.join(site, 'nosharp', ARCHIVE), SHARP_HELD, size)
                await results.case('no sharp archive on the server',
                                   check_sharp_on_demand(browser, base, 'nosharp', classic, plain, 'absent'))
    if 'firefox' in wanted:
        async with Firefox(res, args.firefox) as firefox:
            expected = native_stills(res, vx1, archive, FIREFOX_STILLS, [])
            for name, seconds in FIREFOX_STILLS:
                await results.case(f'firefox still {name} ({seconds} s)',
                                   check_still(firefox, base, name, seconds, expected[name]))
            await results.case('firefox play', check_play(firefox, base, press_enter=True))
    return results


def main():
    parser = argparse.ArgumentParser(usage=argparse.SUPPRESS, description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--web', default='build-web', help='the browser build (default build-web)')
    parser.add_argument('--native', default=None, help="native build folder with vx1 (default DIR/../build)")
    parser.add_argument('--chromium', default=shutil.which('chromium') or '/usr/bin/chromium',
                        help='the Chromium program (default chromium on PATH)')
    parser.add_argument('--firefox', default=shutil.which('firefox-esr') or '/usr/bin/firefox-esr',
                        help='the Firefox program (default firefox-esr on PATH)')
    parser.add_argument('--only', action='append', choices=['still', 'play', 'controls', 'errors', 'bench',
                                                            'page', 'firefox'],
                        help='run only this case group (may be repeated)')
    parser.add_argument('--still', action='append', metavar='SECONDS',
                        help='check the still of this moment instead of the usual list (may be repeated)')
    args = parser.parse_args()
    if args.native is None:
        args.native = os.path.join(os.path.dirname(os.path.abspath(args.web)), 'build')

    # SIGTERM and SIGHUP unwind like Ctrl-C, through every clean-up below;
    # Ctrl-C works even where the caller started us with SIGINT ignored.
    def interrupt(signum, frame):
        raise KeyboardInterrupt
    signal.signal(signal.SIGINT, interrupt)
    signal.signal(signal.SIGTERM, interrupt)
    signal.signal(signal.SIGHUP, interrupt)

    t0 = time.monotonic()
    res = Resources()
    try:
        results = asyncio.run(run(args, res))
    except KeyboardInterrupt:
        print('browser_test: interrupted', file=sys.stderr)
        return 130
    except (RuntimeError, OSError, subprocess.SubprocessError) as e:
        print(f'browser_test: cannot run: {e}', file=sys.stderr)
        return 2
    finally:
        res.close()
    total = time.monotonic() - t0
    passed = len(results.timings) - results.failures
    print(f'browser_test: {passed} of {len(results.timings)} checks passed in {total:.1f} s')
    return 1 if results.failures else 0


if __name__ == '__main__':
    sys.exit(main())
