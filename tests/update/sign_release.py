#!/usr/bin/env python3
"""Signs a release for the update tests with the signing code of scripts/make-release.

Usage: sign_release.py MAKE_RELEASE KEY.pem VERSION SHA256 OUT

Writes the 128 hexadecimal digits of the signature of "LorminRecorder|VERSION|SHA256" to OUT
(through a temporary name, so OUT appears complete).
"""
import importlib.machinery
import importlib.util
import os
import sys


def main():
    make_release, key, version, digest, out = sys.argv[1:6]
    loader = importlib.machinery.SourceFileLoader('make_release', make_release)
    loader_found = importlib.util.spec_from_loader('make_release', loader)
    module = importlib.util.module_from_spec(loader_found)
    loader.exec_module(module)
    signature = module.sign(key, version, digest)
    with open(out + '.part', 'w') as f:
        f.write(signature)
    os.replace(out + '.part', out)


if __name__ == '__main__':
    main()
