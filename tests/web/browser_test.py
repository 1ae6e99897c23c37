#!/usr/bin/python3
"""The browser build in headless Chromium, checked against the native program.

  browser_test.py [--web DIR] [--native DIR] [--chromium PATH] [--only NAME]...
                  [--still SECONDS]... [--help]

Serves a copy of DIR (default build-web/) with `python3 -m http.server` on a
free port of 127.0.0.1, drives Chromium through the DevTools protocol and
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

Needs Debian's python3-websockets, chromium and firefox-esr (scripts/install-deps
--web).
"""
import argparse
import asyncio
import contextlib
import hashlib
import json
import os
import re
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import png_frame  # noqa: E402  (beside this file)

ARCHIVE = 'vx-1.lib'
SHARP_ARCHIVE = 'vx-1-sharp.lib'
# What the sharp show downloads in the page, at most.
SHARP_DOWNLOAD = ['index.html', 'vx1.js', 'vx1.wasm', ARCHIVE, SHARP_ARCHIVE]
SHARP_DOWNLOAD_LIMIT = 12 * 2**20
TITLE_FRAME = re.compile(r'^vx1 frame ([0-9a-f]{64})$')
TITLE_ERROR = 'vx1 error: '

# Generous on purpose: CI shares two cores between the build and the browser,
# and a slow machine must not read as a broken page. Every wait polls.
PAGE_TIMEOUT = 120.0  # a page: download, load every scene, draw
START_TIMEOUT = 60.0  # Chromium or the server coming up
POLL = 0.1

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

# The sharp still, compared with vx1 --screenshot at its size, and the size
# of the sharp bench (the most the page draws: sharpSize in web/index.html).
SHARP_STILL = ('40.5', (1280, 720))
SHARP_BENCH = (960, 600)

PLAY_SECONDS = 6.0  # at least 5 s of the clock running
# A link to a moment's frame, from the page's opening: 1.2 s here; the
# loading screen's fades alone took 7 s.
LINK_SECONDS = 4.0
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
BENCH_ROW = re.compile(r'^(\w+)\s+(\d+)\s+(\d+\.\d+)\s+(\d+\.\d+)\s+(\d+\.\d+)$')
BENCH_SHOW = re.compile(r'^show\s+(\d+)\s+(\d+\.\d+)$')
BENCH_HEADER = re.compile(r'^scene\s+frames\s+median ms\s+p95 ms\s+fps$')
BENCH_TITLE = re.compile(r'^Bench \(.*\)$')


class CheckFailed(Exception):
    """A check's verdict: the one line to print."""


class Resources:
    """Every process and folder the run creates, released in reverse order."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix='vx1-browser-test-')
        self.processes = []

    def start(self, args, log_name, **kwargs):
        log = open(os.path.join(self.root, log_name), 'ab')
        try:
            # A group of its own, so Chromium's helpers go with it.
            proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                    start_new_session=True, **kwargs)
        finally:
            log.close()
        self.processes.append(proc)
        return proc

    def stop(self, proc, grace=10.0):
        if proc.poll() is None:
            with contextlib.suppress(ProcessLookupError):
                os.killpg(proc.pid, signal.SIGTERM)
            try:
                proc.wait(timeout=grace)
            except subprocess.TimeoutExpired:
                with contextlib.suppress(ProcessLookupError):
                    os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()
        # Children that outlived their leader still carry its group id.
        with contextlib.suppress(ProcessLookupError, PermissionError):
            os.killpg(proc.pid, signal.SIGKILL)
        if proc in self.processes:
            self.processes.remove(proc)

    def close(self):
        for proc in reversed(list(self.processes)):
            self.stop(proc, grace=5.0)
        shutil.rmtree(self.root, ignore_errors=True)

    def log_tail(self, log_name, lines=5):
        with contextlib.suppress(OSError):
            with open(os.path.join(self.root, log_name), 'rb') as f:
                text = f.read().decode('utf-8', 'replace').splitlines()
                return ' | '.join(text[-lines:])
        return ''


# ---------------------------------------------------------------- the site

def damaged_picture(data):
    """The archive with the markers after its first picture's start of
    image zeroed, so that the index holds and the decoder refuses it."""
    start = data.find(b'\xff\xd8\xff')
    if start < 0:
        raise RuntimeError('the archive holds no JPEG picture')
    return data[:start + 2] + bytes(600) + data[start + 602:]


def prepare_site(res, web_dir):
    """One folder per archive variant, each a symlink farm of build-web/ with
    its own vx-1.lib (or none); build-web/ itself is never written."""
    site = os.path.join(res.root, 'site')
    archive = os.path.join(web_dir, ARCHIVE)
    with open(archive, 'rb') as f:
        data = f.read()
    variants = {
        'good': data,
        'missing': None,
        # The header survives, the index and the files do not.
        'truncated': data[:len(data) // 3],
        # Bytes of the right size that are no archive at all.
        'garbage': bytes((i * 131 + 7) & 0xFF for i in range(len(data))),
        # The page and the archive, but not the program's code.
        'nowasm': data,
        # A sound archive whose first picture is no readable JPEG.
        'badpicture': damaged_picture(data),
        # The classic archive without the sharp one beside it.
        'nosharp': data,
    }
    for name, content in variants.items():
        folder = os.path.join(site, name)
        os.makedirs(folder)
        for entry in os.listdir(web_dir):
            if entry == ARCHIVE or (name == 'nowasm' and entry == 'vx1.wasm') or \
                    (name == 'nosharp' and entry == SHARP_ARCHIVE):
                continue
            os.symlink(os.path.abspath(os.path.join(web_dir, entry)), os.path.join(folder, entry))
        if content is not None:
            with open(os.path.join(folder, ARCHIVE), 'wb') as f:
                f.write(content)
    return site


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


def start_server(res, site):
    """python3 -m http.server on a free port; a second port if another
    program took the first between our look and the server's bind."""
    for _ in range(2):
        port = free_port()
        proc = res.start([sys.executable, '-m', 'http.server', '--bind', '127.0.0.1',
                          '--directory', site, str(port)], 'server.log')
        deadline = time.monotonic() + START_TIMEOUT
        while time.monotonic() < deadline and proc.poll() is None:
            try:
                with urllib.request.urlopen(f'http://127.0.0.1:{port}/good/', timeout=5):
                    return proc, f'http://127.0.0.1:{port}'
            except OSError:
                time.sleep(POLL)
        res.stop(proc)
    raise RuntimeError('the HTTP server did not start: ' + res.log_tail('server.log'))


# ---------------------------------------------------------------- DevTools

class Socket:
    """One WebSocket of a browser's remote protocol: replies matched to calls
    by id, every other message handed to _event; what is still waiting fails
    when the connection closes."""

    closed = 'the connection closed'

    def __init__(self, ws):
        self.ws = ws
        self.next_id = 0
        self.pending = {}
        self.exceptions = {}
        self.reader = asyncio.ensure_future(self._read())

    async def _read(self):
        try:
            async for raw in self.ws:
                msg = json.loads(raw)
                if 'id' in msg:
                    fut = self.pending.pop(msg['id'], None)
                    if fut is not None and not fut.done():
                        fut.set_result(msg)
                else:
                    self._event(msg)
        finally:
            for fut in self.pending.values():
                if not fut.done():
                    fut.set_exception(ConnectionError(self.closed))

    async def _reply(self, msg, timeout):
        self.next_id += 1
        msg['id'] = self.next_id
        fut = asyncio.get_running_loop().create_future()
        self.pending[msg['id']] = fut
        await self.ws.send(json.dumps(msg))
        try:
            return await asyncio.wait_for(fut, timeout)
        finally:
            self.pending.pop(msg['id'], None)


class Cdp(Socket):
    """One DevTools WebSocket: calls matched to replies by id; exceptions
    thrown in a page are kept for the failure line."""

    closed = 'the DevTools connection closed'

    def _event(self, msg):
        if msg.get('method') == 'Runtime.exceptionThrown':
            details = msg['params']['exceptionDetails']
            text = details.get('exception', {}).get('description') or details.get('text', '')
            self.exceptions.setdefault(msg.get('sessionId'), []).append(
                text.splitlines()[0] if text else '?')

    async def call(self, method, params=None, session=None, timeout=30.0):
        msg = {'method': method, 'params': params or {}}
        if session:
            msg['sessionId'] = session
        reply = await self._reply(msg, timeout)
        if 'error' in reply:
            raise RuntimeError(f'{method}: {reply["error"].get("message")}')
        return reply['result']


class Page:
    def __init__(self, cdp, target, session):
        self.cdp, self.target, self.session = cdp, target, session

    async def evaluate(self, expression):
        r = await self.cdp.call('Runtime.evaluate', {'expression': expression, 'returnByValue': True,
                                                     'awaitPromise': True}, self.session)
        if 'exceptionDetails' in r:
            raise RuntimeError(f'{expression}: {r["exceptionDetails"].get("text")}')
        return r['result'].get('value')

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
        thrown = self.cdp.exceptions.get(self.session, [])
        raise CheckFailed(f'no {what} within {timeout:.0f} s ({last})' +
                          (f', page threw: {thrown[0]}' if thrown else ''))

    async def key(self, name, code):
        for kind in ('keyDown', 'keyUp'):
            await self.cdp.call('Input.dispatchKeyEvent', {
                'type': kind, 'key': name, 'code': name, 'windowsVirtualKeyCode': code,
                'nativeVirtualKeyCode': code}, self.session)


class Browser:
    """Headless Chromium with a profile of its own, reached over DevTools."""

    FLAGS = ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
             '--disable-component-update', '--disable-sync', '--no-first-run',
             # A page in a tab nobody looks at still runs at full rate.
             '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
             '--disable-backgrounding-occluded-windows', '--remote-debugging-port=0']

    def __init__(self, res, chromium, extra_flags, label):
        self.res, self.chromium, self.extra, self.label = res, chromium, extra_flags, label
        self.proc = self.ws = self.cdp = None

    async def __aenter__(self):
        import websockets
        # One retry, for start-up only: a loaded machine can miss the first.
        for attempt in (1, 2):
            t0 = time.monotonic()
            profile = tempfile.mkdtemp(prefix=f'chromium-{self.label}-', dir=self.res.root)
            log = f'chromium-{self.label}-{attempt}.log'
            # Its crash reports and caches go to the profile too, not $HOME.
            env = dict(os.environ, XDG_CONFIG_HOME=profile, XDG_CACHE_HOME=profile)
            self.proc = self.res.start([self.chromium, *self.FLAGS, f'--user-data-dir={profile}',
                                        *self.extra, 'about:blank'], log, env=env)
            port_file = os.path.join(profile, 'DevToolsActivePort')
            try:
                while True:
                    if self.proc.poll() is not None:
                        raise RuntimeError(f'exited with {self.proc.returncode}')
                    if time.monotonic() - t0 > START_TIMEOUT:
                        raise RuntimeError(f'no DevTools port within {START_TIMEOUT:.0f} s')
                    with contextlib.suppress(OSError):
                        with open(port_file) as f:
                            lines = f.read().split('\n')
                        if len(lines) >= 2 and lines[0].isdigit() and lines[1]:
                            break
                    await asyncio.sleep(POLL)
                url = f'ws://127.0.0.1:{lines[0]}{lines[1]}'
                self.ws = await asyncio.wait_for(websockets.connect(url, max_size=None), 30)
                self.cdp = Cdp(self.ws)
                await self.cdp.call('Browser.getVersion')
                print(f'  chromium ({self.label}) up in {time.monotonic() - t0:.1f} s', flush=True)
                return self
            except Exception as e:  # noqa: BLE001  (reported, then retried once)
                detail = f'{e}: {self.res.log_tail(log, 3)}'
                await self._shut()
                if attempt == 2:
                    raise RuntimeError(f'Chromium did not start: {detail}') from e
                print(f'  chromium ({self.label}) start-up failed, once more: {detail}', flush=True)

    async def _shut(self):
        if self.cdp is not None:
            with contextlib.suppress(Exception):
                await self.cdp.call('Browser.close', timeout=5)
        if self.ws is not None:
            with contextlib.suppress(Exception):
                await self.ws.close()
        if self.cdp is not None:
            self.cdp.reader.cancel()
            with contextlib.suppress(BaseException):
                await self.cdp.reader
        if self.proc is not None:
            self.res.stop(self.proc)
        self.proc = self.ws = self.cdp = None

    async def __aexit__(self, *exc):
        await self._shut()

    @contextlib.asynccontextmanager
    async def page(self, url):
        """A fresh tab on url, closed afterwards."""
        target = (await self.cdp.call('Target.createTarget', {'url': 'about:blank'}))['targetId']
        try:
            session = (await self.cdp.call('Target.attachToTarget',
                                           {'targetId': target, 'flatten': True}))['sessionId']
            page = Page(self.cdp, target, session)
            await self.cdp.call('Runtime.enable', session=session)
            await self.cdp.call('Page.enable', session=session)
            await self.cdp.call('Page.bringToFront', session=session)
            await self.cdp.call('Page.navigate', {'url': url}, session)
            yield page
        finally:
            with contextlib.suppress(Exception):
                await self.cdp.call('Target.closeTarget', {'targetId': target}, timeout=10)


# ------------------------------------------------------- WebDriver BiDi

def remote_value(v):
    """A BiDi remote value as the Python value CDP's returnByValue gives."""
    kind, value = v.get('type'), v.get('value')
    if kind in ('undefined', 'null'):
        return None
    if kind == 'number' and isinstance(value, str):
        return float(value.replace('Infinity', 'inf')) if value != '-0' else 0.0
    if kind == 'object':
        return {k if isinstance(k, str) else remote_value(k): remote_value(x) for k, x in value}
    if kind == 'array':
        return [remote_value(x) for x in value]
    return value


class Bidi(Socket):
    """One WebDriver BiDi WebSocket: commands matched to replies by id;
    errors logged by a page are kept for the failure line."""

    closed = 'the BiDi connection closed'

    def _event(self, msg):
        if msg.get('method') == 'log.entryAdded' and msg['params'].get('type') == 'javascript':
            entry = msg['params']
            self.exceptions.setdefault(entry.get('source', {}).get('context'), []).append(
                (entry.get('text') or '?').splitlines()[0])

    async def call(self, method, params=None, session=None, timeout=30.0):
        reply = await self._reply({'method': method, 'params': params or {}}, timeout)
        if reply.get('type') == 'error':
            raise RuntimeError(f'{method}: {reply.get("error")}: {reply.get("message")}')
        return reply['result']


# The keys the checks press, as WebDriver names them.
BIDI_KEYS = {'Escape': '\ue00c', 'Enter': '\ue007'}


class FirefoxPage(Page):
    """A tab of Firefox: the same readings and keys over BiDi."""

    async def evaluate(self, expression):
        r = await self.cdp.call('script.evaluate', {'expression': expression, 'awaitPromise': True,
                                                     'target': {'context': self.session}})
        if r.get('type') == 'exception':
            raise RuntimeError(f'{expression}: {r["exceptionDetails"].get("text")}')
        return remote_value(r['result'])

    async def key(self, name, code):
        value = BIDI_KEYS[name]
        await self.cdp.call('input.performActions', {'context': self.session, 'actions': [
            {'type': 'key', 'id': 'keyboard', 'actions': [{'type': 'keyDown', 'value': value},
                                                          {'type': 'keyUp', 'value': value}]}]})


class Firefox:
    """Headless Firefox ESR with a profile of its own, reached over
    WebDriver BiDi (--remote-debugging-port). The profile lets pages start
    sound without a gesture and plays it into cubeb's mock output, whose
    clock runs at real time, so that no sound device is needed (without it,
    Firefox here has no sound output and its audio clock stands still)."""

    PREFS = {'media.autoplay.default': 0, 'media.autoplay.blocking_policy': 0,
             'media.autoplay.block-webaudio': False, 'media.cubeb.force_mock_context': True,
             'browser.shell.checkDefaultBrowser': False, 'datareporting.policy.dataSubmissionEnabled': False}

    def __init__(self, res, firefox):
        self.res, self.firefox = res, firefox
        self.proc = self.ws = self.bidi = None

    async def __aenter__(self):
        import websockets
        t0 = time.monotonic()
        profile = tempfile.mkdtemp(prefix='firefox-', dir=self.res.root)
        with open(os.path.join(profile, 'user.js'), 'w') as f:
            for name, value in self.PREFS.items():
                f.write(f'user_pref("{name}", {json.dumps(value)});\n')
        port = free_port()
        env = dict(os.environ, MOZ_CRASHREPORTER_DISABLE='1', HOME=profile)
        self.proc = self.res.start([self.firefox, '--headless', '--no-remote', '--profile', profile,
                                    f'--remote-debugging-port={port}', 'about:blank'], 'firefox.log', env=env)
        while True:
            if self.proc.poll() is not None:
                raise RuntimeError(f'Firefox exited with {self.proc.returncode}: '
                                   f'{self.res.log_tail("firefox.log", 3)}')
            if time.monotonic() - t0 > START_TIMEOUT:
                raise RuntimeError(f'Firefox: no BiDi endpoint within {START_TIMEOUT:.0f} s')
            try:
                self.ws = await websockets.connect(f'ws://127.0.0.1:{port}/session', max_size=None)
                break
            except OSError:
                await asyncio.sleep(POLL)
        self.bidi = Bidi(self.ws)
        await self.bidi.call('session.new', {'capabilities': {}})
        await self.bidi.call('session.subscribe', {'events': ['log.entryAdded']})
        print(f'  firefox up in {time.monotonic() - t0:.1f} s', flush=True)
        return self

    async def __aexit__(self, *exc):
        if self.bidi is not None:
            with contextlib.suppress(Exception):
                await self.bidi.call('session.end', timeout=5)
        if self.ws is not None:
            with contextlib.suppress(Exception):
                await self.ws.close()
        if self.bidi is not None:
            self.bidi.reader.cancel()
            with contextlib.suppress(BaseException):
                await self.bidi.reader
        if self.proc is not None:
            self.res.stop(self.proc)

    @contextlib.asynccontextmanager
    async def page(self, url):
        context = (await self.bidi.call('browsingContext.create', {'type': 'tab'}))['context']
        try:
            await self.bidi.call('browsingContext.navigate', {'context': context, 'url': url, 'wait': 'none'})
            yield FirefoxPage(self.bidi, None, context)
        finally:
            with contextlib.suppress(Exception):
                await self.bidi.call('browsingContext.close', {'context': context}, timeout=10)


# ---------------------------------------------------------------- native side

def run_native(vx1, args, cwd):
    proc = subprocess.run([vx1, *args], cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=600)
    return proc.returncode, proc.stdout.decode('utf-8', 'replace'), proc.stderr.decode('utf-8', 'replace')


def native_stills(res, vx1, archive, timeline, labda):
    """SHA-256 of each still's frame as the native program draws it: the
    timeline's, then labda's through the effect test."""
    folder = os.path.join(res.root, 'native')
    os.makedirs(folder, exist_ok=True)
    for first, stills in (([], timeline), (['e'], labda)):
        if not stills:
            continue
        args = first + ['--library', archive]
        for name, seconds in stills:
            args += ['--screenshot', seconds, f'{name}.png']
        code, _, err = run_native(vx1, args, folder)
        if code != 0:
            raise RuntimeError(f'vx1 {" ".join(first)} --screenshot failed ({code}): {err.strip()}')
    return {name: hashlib.sha256(png_frame.frame_words(os.path.join(folder, f'{name}.png'))).hexdigest()
            for name, _ in timeline + labda}


def native_frame(res, vx1, archive, seconds, size):
    """SHA-256 of the frame `vx1 --screenshot SECONDS --resolution WxH` writes
    with the archive, and the sharp one when it lies beside it."""
    folder = os.path.join(res.root, 'native')
    os.makedirs(folder, exist_ok=True)
    sharp = os.path.exists(os.path.join(os.path.dirname(archive), SHARP_ARCHIVE))
    name = f'at-{seconds}-{size[0]}x{size[1]}-{"sharp" if sharp else "classic"}.png'
    code, _, err = run_native(vx1, ['--library', archive, '--screenshot', seconds, name,
                                    '--resolution', f'{size[0]}x{size[1]}'], folder)
    if code != 0:
        raise RuntimeError(f'vx1 --screenshot --resolution failed ({code}): {err.strip()}')
    return hashlib.sha256(png_frame.frame_words(os.path.join(folder, name), *size)).hexdigest()


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


# ---------------------------------------------------------------- the checks

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


CLASSIC = (320, 200)
CANVAS_SIZE = '(c => c ? [c.width, c.height] : null)(document.querySelector("canvas"))'
CANVAS_DIGEST = ('(async () => { const c = document.querySelector("canvas"); if (!c) return null;'
                 ' const b = new TextEncoder().encode(c.toDataURL());'
                 ' const d = await crypto.subtle.digest("SHA-256", b);'
                 ' return Array.from(new Uint8Array(d), x => x.toString(16).padStart(2, "0")).join(""); })()')


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


async def check_play(browser, base, press_enter=False):
    async with browser.page(f'{base}/good/index.html') as page:
        if press_enter:
            # Where the browser lets the sound start at once, the show starts
            # by itself; otherwise the start button has the focus, and Enter
            # starts it as a click does.
            await page.wait(lambda r: r['state'] and r['state']['phase'] != 'downloading',
                            'the end of the download')
            if await page.evaluate('!document.getElementById("ready").hidden'):
                await page.key('Enter', 13)
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
        await page.key('Escape', 27)
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


def link_query(link):
    """The names and values of a link's query."""
    return urllib.parse.parse_qs(urllib.parse.urlsplit(link).query, keep_blank_values=True)


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
        await page.evaluate('document.getElementById("copylink").click()')
        link = await page.evaluate('document.getElementById("linked").title')
        if 'loop' not in link_query(link):
            raise CheckFailed(f'the link copied from a looping show is {link!r}')
        await page.key('Escape', 27)
        ended = await page.wait(lambda r: r['state']['phase'] != 'playing', 'the end after Escape', 30.0)
        if ended['state']['phase'] != 'ended':
            raise CheckFailed(f'Escape gave phase {ended["state"]["phase"]}, not "ended"')


async def check_error(browser, base, variant, native_lines):
    async with browser.page(f'{base}/{variant}/index.html') as page:
        # Over once the error is up, or once the show's clock runs (then no
        # error is coming); the loading screen may be drawn before either.
        done = await page.wait(lambda r: r['title'].startswith(TITLE_ERROR) or
                               (r['state'] and (r['state']['phase'] in ('error', 'ended') or
                                                r['state']['ticks'] > 0)), 'error in the title')
        title = done['title']
        if not title.startswith(TITLE_ERROR):
            raise CheckFailed(f'no error: title {title!r}, state {done["state"]}')
        message = title[len(TITLE_ERROR):]
        if not message.strip():
            raise CheckFailed('the error title carries no message')
        # The program's own words: its last line, the reason (a message box
        # before it may say no more than "Load Error"). The page plays the
        # show where native vx1 draws a still, so the first picture each
        # loads, named in the reason, may differ.
        def reason(line):
            return re.sub(r'DATA\\\S+:', 'NAME:', line.strip())
        if not reason(native_lines[-1]).endswith(reason(message)):
            raise CheckFailed(f'the message {message!r} is not native vx1\'s reason {native_lines[-1]!r}')
        if done['state'] is None or done['state']['phase'] != 'error':
            raise CheckFailed(f'the error left the phase at {done["state"] and done["state"]["phase"]!r}')
        await asyncio.sleep(1.0)
        after = await page.state()
        if after['state']['phase'] != 'error' or after['state']['frames'] != done['state']['frames']:
            raise CheckFailed(f'the page ran on after the error: {after["state"]}')
        print(f'  {variant}: {title}', flush=True)


async def check_early_error(browser, url, title, words):
    """Without a click (no autoplay): the error is up at once, its title
    is title (or starts with it) and the panel holds the plain words."""
    async with browser.page(url) as page:
        # Nothing clicks here: a page that waits for a click never gets there.
        await page.wait(lambda r: r['title'].startswith(title), 'error before a click', timeout=60.0)
        panel = await page.evaluate('document.getElementById("failed").innerText')
        if words not in panel:
            raise CheckFailed(f'the panel says {panel!r}, without {words!r}')
        print(f'  {url.split("/")[-2]}: {panel.splitlines()[0][:100]}', flush=True)


# (device pixel ratio, CSS width, CSS height, the show's pixel in device pixels)
SCALINGS = [(1.25, 1536, 864, 5), (1.5, 1280, 720, 5), (3.0, 844, 390, 5), (1.0, 1366, 768, 3)]


async def check_sharp(browser, base):
    async with browser.page(f'{base}/good/index.html?still=40.5') as page:
        await page.wait(lambda r: TITLE_FRAME.match(r['title']), 'frame title')
        for ratio, width, height, scale in SCALINGS:
            await page.cdp.call('Emulation.setDeviceMetricsOverride', {
                'width': width, 'height': height, 'deviceScaleFactor': ratio, 'mobile': False},
                page.session)
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


async def emulate(page, metrics):
    ratio, width, height = metrics
    await page.cdp.call('Emulation.setDeviceMetricsOverride', {
        'width': width, 'height': height, 'deviceScaleFactor': ratio, 'mobile': False}, page.session)


async def check_sharp_sizes(browser, base):
    """?resolution=native draws a still at the window's sharp size."""
    for metrics, size in SHARP_SIZES:
        async with browser.page('about:blank') as page:
            await emulate(page, metrics)
            await page.cdp.call('Page.navigate', {'url': f'{base}/good/index.html?still=0&resolution=native'},
                                page.session)
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
        await page.cdp.call('Page.navigate', {'url': f'{base}/good/index.html?mute&resolution=native'
                                                     f'&t={SHARP_HELD}&pause'}, page.session)
        ticks = ticks_of(SHARP_HELD)
        await held_frame(page, ticks, sharp, 'the sharp show')
        await sharp_fetches(page, 1, 'a ?resolution start')
        for want, expected, switch in ((CLASSIC, classic, 'R'), (size, sharp, 'button')):
            label = await page.evaluate('document.getElementById("resolution").textContent')
            if label != ('Sharp' if want == size else 'Classic'):
                raise CheckFailed(f'the switch to {want[0]} x {want[1]} is labelled {label!r}')
            if switch == 'R':
                await press(page, 'R')
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
        await press(page, 'Tab')
        status, deadline = '', time.monotonic() + 10.0
        while time.monotonic() < deadline and f'  {wide}  ' not in status:
            await asyncio.sleep(POLL)
            status = await page.evaluate('document.getElementById("status").innerText')
        if f'  {wide}  ' not in status:
            raise CheckFailed(f'the sharp show\'s status line reads {status!r}, without {wide}')
        await page.evaluate('document.getElementById("copylink").click()')
        link = await page.evaluate('document.getElementById("linked").title')
        await press(page, 'Escape')
    if 'resolution=native' not in link:
        raise CheckFailed(f'the link to a sharp moment is {link!r}')
    async with browser.page('about:blank') as again:
        await emulate(again, SHARP_WINDOW[0])
        await again.cdp.call('Page.navigate', {'url': link}, again.session)
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
    await page.cdp.call('Network.enable', session=page.session)
    await page.cdp.call('Network.emulateNetworkConditions', SLOW_NETWORK, page.session)
    await press(page, 'R')
    if await page.evaluate('vx1State.sharpArchive') != 'downloading':
        raise CheckFailed(f'R did not start the download: {await page.evaluate("vx1State.sharpArchive")}')
    await press(page, 'R')
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
        await page.cdp.call('Page.navigate', {'url': f'{base}/{variant}/index.html?mute&t={SHARP_HELD}&pause'},
                            page.session)
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
            await press(page, 'R')
            deadline = time.monotonic() + 30.0
            while await page.evaluate(CANVAS_SIZE) != list(want) and time.monotonic() < deadline:
                await asyncio.sleep(POLL)
            await held_frame(page, ticks, expected, f'R to {want[0]} x {want[1]}')
        await sharp_fetches(page, 1, 'later switches')
        await press(page, 'Escape')
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
        await page.cdp.call('Page.addScriptToEvaluateOnNewDocument', {'source': FROZEN_CLOCK},
                            page.session)
        await page.cdp.call('Page.navigate', {'url': f'{base}/good/index.html?t={SILENT_AT}'}, page.session)
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
        await page.evaluate('document.getElementById("copylink").click()')
        link = await page.evaluate('document.getElementById("linked").title')
        if 'mute' not in link_query(link):
            raise CheckFailed(f'the link copied from the show without sound is {link!r}')


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
# (name, key, code, virtual key code) as CDP dispatches them.
CONTROL_KEYS = {'Space': (' ', 'Space', 32), 'Right': ('ArrowRight', 'ArrowRight', 39),
                'Tab': ('Tab', 'Tab', 9), 'Escape': ('Escape', 'Escape', 27), 'R': ('r', 'KeyR', 82),
                'Help': ('?', 'Slash', 191)}
# The moments the controls check holds: where ?t=...&pause starts, and where
# the media session's seekto lands; the seek bar is clicked at the third.
HELD_START, HELD_SEEKTO, BAR_TARGET, BAR_SLOT = '47.4', '26.628', 75.325, 'evil'


def single(value):
    return struct.unpack('f', struct.pack('f', value))[0]


def ticks_of(seconds):
    """The single-float tick a moment becomes, as the program rounds it."""
    return single(float(seconds) * 120.0)


async def press(page, name):
    key, code, vk = CONTROL_KEYS[name]
    for kind in ('keyDown', 'keyUp'):
        await page.cdp.call('Input.dispatchKeyEvent', {
            'type': kind, 'key': key, 'code': code, 'windowsVirtualKeyCode': vk,
            'nativeVirtualKeyCode': vk, **({'text': key} if key == ' ' and kind == 'keyDown' else {})},
            page.session)


async def viewer(page):
    return await page.evaluate('({title: document.title, ticks: vx1State.ticks, paused: vx1State.paused,'
                               ' frames: vx1State.frames, phase: vx1State.phase})')


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


async def held_start(page, base, expected):
    """?t=&pause holds the native frame of that moment, presenting on; the
    media session's seekto lands on another native frame."""
    await page.cdp.call('Page.addScriptToEvaluateOnNewDocument', {'source': MEDIA_HANDLERS + AUDIO_SOURCES},
                        page.session)
    await page.cdp.call('Page.navigate', {'url': f'{base}/good/index.html?t={HELD_START}&pause'}, page.session)
    first = await held_frame(page, ticks_of(HELD_START), expected[HELD_START], '?t=&pause')
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


async def seek_bar(page):
    """The bar shows on a pointer movement; a click at its x lands in the
    slot there, which the status line (Tab) names. Returns the reading."""
    await page.cdp.call('Input.dispatchMouseEvent', {'type': 'mouseMoved', 'x': 10, 'y': 10}, page.session)
    bar = await page.evaluate('(() => { const r = document.getElementById("seek").getBoundingClientRect();'
                              ' return [r.left, r.top, r.width, r.height]; })()')
    x, y = bar[0] + bar[2] * BAR_TARGET / 121.0, bar[1] + bar[3] / 2
    for kind in ('mouseMoved', 'mousePressed', 'mouseReleased'):
        await page.cdp.call('Input.dispatchMouseEvent', {'type': kind, 'x': x, 'y': y, 'button': 'left',
                                                         'clickCount': 1}, page.session)
    await press(page, 'Tab')
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
    await press(page, 'Right')
    stepped = await page.wait(lambda r: r['state']['ticks'] != landed['state']['ticks'], 'the seek by Right')
    if stepped['state']['ticks'] != single(landed['state']['ticks'] + 600.0):
        raise CheckFailed(f'Right moved {landed["state"]["ticks"]} to {stepped["state"]["ticks"]} ticks')
    await press(page, 'Space')
    await page.wait(lambda r: r['state']['ticks'] > stepped['state']['ticks'] + 60 and
                    not TITLE_FRAME.match(r['title']), 'the show playing on after Space')
    for _ in range(3):
        await press(page, 'Right')
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
    await press(page, 'Help')
    try:
        for ratio, width, height, touch in HELP_WINDOWS:
            await page.cdp.call('Emulation.setTouchEmulationEnabled', {'enabled': touch}, page.session)
            await page.cdp.call('Emulation.setDeviceMetricsOverride', {
                'width': width, 'height': height, 'deviceScaleFactor': ratio, 'mobile': touch}, page.session)
            await asyncio.sleep(0.25)  # the resize reaches the page's layout at its next frame
            faults = help_faults(await page.evaluate(HELP_LAYOUT), touch)
            if faults:
                raise CheckFailed(f'the help at {width} x {height} ({ratio} x{", touch" if touch else ""}): ' +
                                  '; '.join(faults))
    finally:
        await page.cdp.call('Emulation.setTouchEmulationEnabled', {'enabled': False}, page.session)
        await page.cdp.call('Emulation.clearDeviceMetricsOverride', session=page.session)
    await page.evaluate('document.getElementById("helpbutton").click()')
    if not await page.evaluate('document.getElementById("help").hidden'):
        raise CheckFailed('the ? button left the help open')


async def check_controls(browser, base, expected):
    """The page's controls end to end, in one visit; then a tap pauses and
    the link to the held moment opens on the same frame."""
    async with browser.page('about:blank') as page:
        await held_start(page, base, expected)
        await keys_and_music(page, await seek_bar(page))
        await help_layout(page)
        for kind, points in (('touchStart', [{'x': 300, 'y': 200}]), ('touchEnd', [])):
            await page.cdp.call('Input.dispatchTouchEvent', {'type': kind, 'touchPoints': points}, page.session)
        paused = await page.wait(lambda r: TITLE_FRAME.match(r['title']), 'the frame title after a tap')
        await page.evaluate('document.getElementById("copylink").click()')
        link = await page.evaluate('document.getElementById("linked").title')
        await press(page, 'Escape')
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

# ---------------------------------------------------------------- running

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


def native_error_lines(vx1, res, variant):
    """What native vx1 prints on standard error when it starts, as the page's
    program does, with the variant's vx-1.lib (or none) in its folder alone."""
    folder = os.path.join(res.root, f'native-{variant}')
    os.makedirs(folder)
    shutil.copy2(vx1, folder)
    archive = os.path.join(res.root, 'site', variant, ARCHIVE)
    if os.path.exists(archive):
        os.symlink(archive, os.path.join(folder, ARCHIVE))
    code, _, err = run_native(os.path.join(folder, 'vx1'), ['--screenshot', '1', 'shot.png'], folder)
    lines = [line.strip() for line in err.splitlines() if line.strip()]
    if code == 0 or not lines:
        raise RuntimeError(f'native vx1 ran with the {variant} archive without an error')
    return lines


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
