"""The native program's side of the comparisons: its frames, its errors."""
import hashlib
import os
import shutil
import subprocess

import png_frame  # beside browser_test.py, which puts its folder on the path

from .common import ARCHIVE, SHARP_ARCHIVE


def run_native(vx1, args, cwd):
    proc = subprocess.run([vx1, *args], cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=600)
    return proc.returncode, proc.stdout.decode('utf-8', 'replace'), proc.stderr.decode('utf-8', 'replace')


def native_stills(res, vx1, archive, timeline, labda, view=None):
    """SHA-256 of each still's frame as the native program draws it: the
    timeline's, then labda's through the effect test; in a view inside the
    engine (--view) when one is named."""
    folder = os.path.join(res.root, 'native')
    os.makedirs(folder, exist_ok=True)
    for first, stills in (([], timeline), (['e'], labda)):
        if not stills:
            continue
        args = first + ['--library', archive] + (['--view', view] if view else [])
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
