"""Headless Firefox ESR over WebDriver BiDi, with a client of our own.

Selenium cannot start Firefox without geckodriver, and Debian 12 has no
geckodriver package (apt-cache policy geckodriver finds none; selenium
4.8's Service falls back to Selenium Manager, which Debian leaves out and
which would download the driver). Firefox itself serves BiDi on
--remote-debugging-port, so the few commands the Firefox checks use (a tab
opened, navigated and closed, a script evaluated, two keys pressed) go
straight over one WebSocket (Debian's python3-websockets)."""
import asyncio
import contextlib
import json
import os
import tempfile
import time

from .common import KEYS, POLL, START_TIMEOUT, Readings
from .resources import free_port


def remote_value(v):
    """A BiDi remote value as the Python value (what JSON of it would give)."""
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


class Bidi:
    """One WebDriver BiDi WebSocket: commands matched to replies by id, what
    is still waiting failing when the connection closes; the errors a page
    logs are kept, by its browsing context, for the failure line."""

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
                elif msg.get('method') == 'log.entryAdded' and msg['params'].get('type') == 'javascript':
                    entry = msg['params']
                    self.exceptions.setdefault(entry.get('source', {}).get('context'), []).append(
                        (entry.get('text') or '?').splitlines()[0])
        finally:
            for fut in self.pending.values():
                if not fut.done():
                    fut.set_exception(ConnectionError('the BiDi connection closed'))

    async def call(self, method, params=None, timeout=30.0):
        self.next_id += 1
        msg = {'id': self.next_id, 'method': method, 'params': params or {}}
        fut = asyncio.get_running_loop().create_future()
        self.pending[msg['id']] = fut
        await self.ws.send(json.dumps(msg))
        try:
            reply = await asyncio.wait_for(fut, timeout)
        finally:
            self.pending.pop(msg['id'], None)
        if reply.get('type') == 'error':
            raise RuntimeError(f'{method}: {reply.get("error")}: {reply.get("message")}')
        return reply['result']


class FirefoxPage(Readings):
    """A tab of Firefox: its browsing context."""

    def __init__(self, bidi, context):
        self.bidi, self.context = bidi, context

    async def evaluate(self, expression):
        r = await self.bidi.call('script.evaluate', {'expression': expression, 'awaitPromise': True,
                                                     'target': {'context': self.context}})
        if r.get('type') == 'exception':
            raise RuntimeError(f'{expression}: {r["exceptionDetails"].get("text")}')
        return remote_value(r['result'])

    async def thrown(self):
        return self.bidi.exceptions.get(self.context, [])

    async def press(self, name):
        value = KEYS[name]
        await self.bidi.call('input.performActions', {'context': self.context, 'actions': [
            {'type': 'key', 'id': 'keyboard', 'actions': [{'type': 'keyDown', 'value': value},
                                                          {'type': 'keyUp', 'value': value}]}]})


class Firefox:
    """Headless Firefox ESR with a profile of its own. The profile lets
    pages start sound without a gesture and plays it into cubeb's mock
    output, whose clock runs at real time, so that no sound device is needed
    (without it, Firefox here has no sound output and its audio clock stands
    still)."""

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
        """A fresh tab on url, closed afterwards."""
        context = (await self.bidi.call('browsingContext.create', {'type': 'tab'}))['context']
        try:
            await self.bidi.call('browsingContext.navigate', {'context': context, 'url': url, 'wait': 'none'})
            yield FirefoxPage(self.bidi, context)
        finally:
            with contextlib.suppress(Exception):
                await self.bidi.call('browsingContext.close', {'context': context}, timeout=10)
