#!/usr/bin/env python3
"""scripts/make-release signing a real build with Authenticode, with throw-away certificates:

    make_release_test.py LorminRecorder.exe

osslsigncode accepts the signed file against the certificate it was signed with (and not against
another), version.json carries the signed file's digest and a publisher signature that still
verifies, a signature already there is replaced, and the password of a PFX file never appears on a
command line (a stand-in osslsigncode on PATH notes every command line it is given). A timestamp
comes from a loopback RFC 3161 server that answers with openssl ts."""
import hashlib
import http.server
import json
import os
import shutil
import stat
import subprocess
import sys
import tempfile
import threading
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "make-release")
EXE = None
PASSWORD = "pfx secret 7f3a"


def run(*arguments, env=None, check=True, cwd=None):
    done = subprocess.run(list(arguments), capture_output=True, text=True, env=env, cwd=cwd)
    if check and done.returncode != 0:
        raise AssertionError("%s failed:\n%s%s" % (" ".join(arguments), done.stdout, done.stderr))
    return done


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


TSA_CONFIG = """[ tsa ]
default_tsa = tsa_config
[ tsa_config ]
serial = ./serial
crypto_device = builtin
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256, sha1
accuracy = secs:1
ordering = no
tsa_name = no
ess_cert_id_chain = no
ess_cert_id_alg = sha256
"""


def start_timestamp_server(folder):
    """A loopback RFC 3161 time-stamp authority with a certificate of its own; (server, certificate)."""
    os.makedirs(folder)
    cert = os.path.join(folder, "tsa_cert.pem")
    key = os.path.join(folder, "tsa_key.pem")
    run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days", "30",
        "-subj", "/CN=Loopback TSA", "-addext", "extendedKeyUsage=critical,timeStamping")
    with open(os.path.join(folder, "tsa.cnf"), "w") as f:
        f.write(TSA_CONFIG)
    with open(os.path.join(folder, "serial"), "w") as f:
        f.write("01\n")

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            query = os.path.join(folder, "query.tsq")
            reply = os.path.join(folder, "reply.tsr")
            with open(query, "wb") as f:
                f.write(self.rfile.read(int(self.headers["Content-Length"])))
            run("openssl", "ts", "-reply", "-config", "tsa.cnf", "-queryfile", query, "-signer", cert, "-inkey", key,
                "-out", reply, cwd=folder)
            body = read_bytes(reply)
            self.send_response(200)
            self.send_header("Content-Type", "application/timestamp-reply")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *arguments):
            pass

    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, cert


def der_signature(hex_rs):
    """The DER ECDSA signature openssl verifies, from the 128 hexadecimal digits r || s."""
    def integer(value):
        body = value.lstrip(b"\0") or b"\0"
        if body[0] & 0x80:
            body = b"\0" + body
        return b"\x02" + bytes([len(body)]) + body
    raw = bytes.fromhex(hex_rs)
    body = integer(raw[:32]) + integer(raw[32:])
    return b"\x30" + bytes([len(body)]) + body


class MakeReleaseSigning(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="make_release_test_")
        cls.certs = os.path.join(cls.scratch, "certs")
        cls.made = run(SCRIPT, "--new-cert", cls.certs, "--publisher", "Lormin")
        cls.cert = os.path.join(cls.certs, "lormin_codesign_cert.pem")
        cls.key = os.path.join(cls.certs, "lormin_codesign_key.pem")
        cls.pfx = os.path.join(cls.scratch, "signing.pfx")
        run("openssl", "pkcs12", "-export", "-in", cls.cert, "-inkey", cls.key, "-out", cls.pfx,
            "-passout", "env:LR_SIGN_PASSWORD", env=dict(os.environ, LR_SIGN_PASSWORD=PASSWORD))
        cls.stranger = os.path.join(cls.scratch, "stranger")
        run(SCRIPT, "--new-cert", cls.stranger, "--publisher", "Somebody Else")
        run(SCRIPT, "--new-key", os.path.join(cls.scratch, "keys"))
        cls.publisher_key = os.path.join(cls.scratch, "keys", "lormin_release_private.pem")
        cls.public_key = os.path.join(cls.scratch, "keys", "lormin_release_public.pem")
        # A stand-in osslsigncode that notes its command line and runs the real one.
        cls.wrapper = os.path.join(cls.scratch, "bin")
        os.makedirs(cls.wrapper)
        cls.calls = os.path.join(cls.scratch, "calls.txt")
        stand_in = os.path.join(cls.wrapper, "osslsigncode")
        with open(stand_in, "w") as f:
            f.write('#!/bin/sh\nprintf "%%s\\n" "$*" >> "%s"\nexec %s "$@"\n' % (cls.calls, shutil.which("osslsigncode")))
        os.chmod(stand_in, 0o755)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def release_folder(self, name):
        folder = os.path.join(self.scratch, name)
        os.makedirs(folder)
        exe = os.path.join(folder, "LorminRecorder.exe")
        shutil.copyfile(EXE, exe)
        return exe

    def environment(self, password=None):
        env = dict(os.environ, PATH=self.wrapper + os.pathsep + os.environ["PATH"])
        env.pop("LR_SIGN_PASSWORD", None)
        if password is not None:
            env["LR_SIGN_PASSWORD"] = password
        return env

    def verify(self, exe, cert):
        return run("osslsigncode", "verify", "-in", exe, "-CAfile", cert, check=False)

    def test_the_new_certificate_is_for_code_signing_its_key_private_and_the_warning_plain(self):
        self.assertIn("self-signed", self.made.stderr)
        self.assertIn("certification", self.made.stderr)
        self.assertEqual(stat.S_IMODE(os.stat(self.key).st_mode), 0o600)
        text = run("openssl", "x509", "-in", self.cert, "-noout", "-text").stdout
        self.assertIn("Code Signing", text)
        self.assertIn("CN = Lormin", text)
        self.assertNotEqual(run(SCRIPT, "--new-cert", self.certs, check=False).returncode, 0, "never overwritten")

    def test_a_signed_build_verifies_and_version_json_names_its_digest_and_signature(self):
        for how, options, password in [
                ("pem", ["--cert", self.cert, "--cert-key", self.key], None),
                ("pfx", ["--pfx", self.pfx], PASSWORD)]:
            with self.subTest(how):
                exe = self.release_folder("signed_" + how)
                unsigned_digest = hashlib.sha256(read_bytes(exe)).hexdigest()
                run(SCRIPT, exe, "signed build", "--key", self.publisher_key, *options, env=self.environment(password))
                signed = read_bytes(exe)
                self.assertEqual(self.verify(exe, self.cert).returncode, 0, self.verify(exe, self.cert).stdout)
                self.assertNotEqual(self.verify(exe, os.path.join(self.stranger, "lormin_codesign_cert.pem")).returncode,
                                    0, "verifies against another certificate")
                manifest = json.loads(read_bytes(os.path.join(os.path.dirname(exe), "version.json")).decode("utf-8"))
                self.assertEqual(manifest["sha256"], hashlib.sha256(signed).hexdigest())
                self.assertNotEqual(manifest["sha256"], unsigned_digest)
                text = os.path.join(self.scratch, how + "_signed_text")
                der = os.path.join(self.scratch, how + "_sig.der")
                with open(text, "w") as f:
                    f.write("LorminRecorder|%s|%s" % (manifest["ver"], manifest["sha256"]))
                with open(der, "wb") as f:
                    f.write(der_signature(manifest["sig"]))
                run("openssl", "dgst", "-sha256", "-verify", self.public_key, "-signature", der, text)
        with open(self.calls) as f:
            calls = f.read()
        self.assertIn("-h sha256", calls)
        self.assertNotIn(PASSWORD, calls, "the password went on a command line")

    def test_a_second_signing_replaces_the_first(self):
        exe = self.release_folder("twice")
        warnings = []
        for cert, key in [(self.cert, self.key),
                          (os.path.join(self.stranger, "lormin_codesign_cert.pem"),
                           os.path.join(self.stranger, "lormin_codesign_key.pem"))]:
            warnings.append(run(SCRIPT, exe, "--cert", cert, "--cert-key", key, env=self.environment()).stderr)
        self.assertEqual(warnings[0], "", "the build's version resource names Lormin, as the certificate does")
        self.assertIn("does not name the publisher of the version resource (Lormin)", warnings[1])
        self.assertEqual(self.verify(exe, os.path.join(self.stranger, "lormin_codesign_cert.pem")).returncode, 0)
        self.assertNotEqual(self.verify(exe, self.cert).returncode, 0, "the first signature is still there")

    def test_a_timestamp_from_the_given_server_is_in_the_signature(self):
        server, tsa_cert = start_timestamp_server(os.path.join(self.scratch, "tsa"))
        try:
            exe = self.release_folder("timestamped")
            url = "http://127.0.0.1:%d/" % server.server_address[1]
            run(SCRIPT, exe, "--cert", self.cert, "--cert-key", self.key, "--timestamp", url, env=self.environment())
        finally:
            server.shutdown()
        done = run("osslsigncode", "verify", "-in", exe, "-CAfile", self.cert, "-TSA-CAfile", tsa_cert, check=False)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        self.assertIn("Timestamp Server Signature verification: ok", done.stdout)

    def test_refusals_leave_the_build_and_version_json_alone(self):
        exe = self.release_folder("refused")
        original = read_bytes(exe)
        for options, password in [
                (["--pfx", self.pfx], "wrong password"),
                (["--cert", self.cert], None),
                (["--pfx", self.pfx, "--cert", self.cert, "--cert-key", self.key], PASSWORD),
                (["--timestamp", "http://127.0.0.1:9/"], None),
                (["--cert", self.cert, "--cert-key", self.key, "--timestamp", "http://127.0.0.1:9/"], None)]:
            with self.subTest(options=options):
                done = run(SCRIPT, exe, *options, env=self.environment(password), check=False)
                self.assertNotEqual(done.returncode, 0)
                self.assertIn("make-release:", done.stderr)
                self.assertEqual(read_bytes(exe), original)
                self.assertFalse(os.path.exists(os.path.join(os.path.dirname(exe), "version.json")))
                self.assertFalse(os.path.exists(exe + ".signing"))


if __name__ == "__main__":
    EXE = sys.argv.pop(1)
    unittest.main()
