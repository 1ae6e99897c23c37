"""What the run owns (processes, folders), and the site it serves: a folder
per archive variant, behind python3 -m http.server."""
import contextlib
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

from .common import ARCHIVE, POLL, SHARP_ARCHIVE, START_TIMEOUT


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
