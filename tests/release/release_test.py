"""The release files of the built exe as scripts/release.sh makes them, signed
with a throw-away test certificate: every signature (exe, setup, installed
uninstaller) verifies against that certificate alone and not against another;
two packagings in two folders at two times are the same bytes, the linked exe
has no link time or build path (the quick form of scripts/compare-builds.sh);
one version everywhere; the manifest files carry their schema's required keys.

    release_test.py EXE VERSION BUILD_DIR
"""
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zipfile

import yaml

EXE, VERSION, BUILD = sys.argv[1:4]
ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
SCRIPTS = os.path.join(ROOT, "scripts")
PREFIX = os.path.join(BUILD, "wineprefix-release")
ENV = dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG="-all",
           WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=")
failures = []

# Required keys of the multi-file manifest, as the 1.6.0 schemas list them.
REQUIRED = {
    "version": ["PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType", "ManifestVersion"],
    "installer": ["PackageIdentifier", "PackageVersion", "Installers", "ManifestType", "ManifestVersion"],
    "defaultLocale": ["PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher", "PackageName",
                      "License", "ShortDescription", "ManifestType", "ManifestVersion"],
}
REQUIRED_PER_INSTALLER = ["Architecture", "InstallerUrl", "InstallerSha256"]


def expect(ok, what):
    print(("ok    " if ok else "FAIL  ") + what)
    if not ok:
        failures.append(what)


def run(*command, **kw):
    return subprocess.run(command, capture_output=True, text=True, **kw)


def package(exe, out, env):
    os.makedirs(out, exist_ok=True)
    return run(sys.executable, os.path.join(SCRIPTS, "package-release.py"), exe, VERSION, out, env=env)


def verify(path, ca):
    return run("osslsigncode", "verify", "-CAfile", ca, "-in", path).returncode == 0


def read_tree(folder):
    found = {}
    for base, _, names in os.walk(folder):
        for name in names:
            with open(os.path.join(base, name), "rb") as f:
                found[os.path.relpath(os.path.join(base, name), folder)] = f.read()
    return found


def version_block_file_version(data):
    """The FileVersion text of the exe's version block (UTF-16 key, value after its padding)."""
    key = "FileVersion\0".encode("utf-16-le")
    at = data.index(key) + len(key)
    at += (4 - at % 4) % 4
    return data[at:data.index(b"\0\0", at) + 1].decode("utf-16-le").rstrip("\0")


def main():
    work = tempfile.mkdtemp(prefix="velpanel-release-test.")
    try:
        certs = os.path.join(work, "certificate")
        other = os.path.join(work, "other-certificate")
        for folder in (certs, other):
            subprocess.run(["bash", os.path.join(SCRIPTS, "test-signing-cert.sh"), folder], check=True)
        env = dict(os.environ, VELPANEL_SIGN_PKCS12=os.path.join(certs, "test-signing.p12"),
                   VELPANEL_SIGN_PASSWORD="test")
        env.pop("VELPANEL_TIMESTAMP_URL", None)
        if "SOURCE_DATE_EPOCH" not in env:
            commit = run("git", "-C", ROOT, "log", "-1", "--format=%ct")
            env["SOURCE_DATE_EPOCH"] = commit.stdout.strip() if commit.returncode == 0 else "1796774400"

        # Two packagings of one exe: other folders, another exe date, a later time.
        first, second = os.path.join(work, "a"), os.path.join(work, "second", "dist")
        made = package(EXE, first, env)
        if made.returncode != 0:
            sys.exit("packaging failed:\n" + made.stdout + made.stderr)
        moved = os.path.join(work, "elsewhere", "VelPanel.exe")
        os.makedirs(os.path.dirname(moved))
        shutil.copyfile(EXE, moved)
        time.sleep(1.1)
        package(moved, second, env)
        one, two = read_tree(first), read_tree(second)
        setup_name, zip_name = "VelPanel-%s-setup.exe" % VERSION, "VelPanel-%s-x64.zip" % VERSION
        expect(setup_name in one and zip_name in one, "the file names carry the version " + VERSION)
        expect(one == two, "two packagings give the same bytes: " + ", ".join(
            sorted(n for n in set(one) | set(two) if one.get(n) != two.get(n))))

        with open(EXE, "rb") as f:
            linked = f.read()
        pe = struct.unpack_from("<I", linked, 0x3C)[0]
        expect(struct.unpack_from("<I", linked, pe + 8)[0] == 0, "the linked exe carries no link time")
        paths = [p for p in (ROOT, BUILD) for p in (p.encode(), p.encode("utf-16-le"))]
        expect(not any(p in linked for p in paths), "the linked exe names no build path")

        # Signatures: each file checked against the test certificate, and not against another.
        ca, other_ca = os.path.join(certs, "test-signing.crt"), os.path.join(other, "test-signing.crt")
        with zipfile.ZipFile(os.path.join(first, zip_name)) as archive:
            signed_exe = archive.read("VelPanel.exe")
            with open(os.path.join(ROOT, "CHANGELOG.md"), "rb") as f:
                expect(archive.read("CHANGELOG.md") == f.read(), "the zip carries CHANGELOG.md")
        with open(os.path.join(work, "VelPanel.exe"), "wb") as f:
            f.write(signed_exe)
        installed = install(os.path.join(first, setup_name))
        for name, path in [("VelPanel.exe", os.path.join(work, "VelPanel.exe")),
                           ("the setup", os.path.join(first, setup_name)),
                           ("the installed uninstaller", os.path.join(installed, "Uninstall.exe")),
                           ("the installed VelPanel.exe", os.path.join(installed, "VelPanel.exe"))]:
            expect(os.path.exists(path) and verify(path, ca), name + ": signature verified")
            expect(os.path.exists(path) and not verify(path, other_ca), name + ": not trusted through another root")

        # One version.
        answer = run("wine", os.path.join(work, "VelPanel.exe"), "--version", env=ENV, timeout=60)
        expect(answer.returncode == 0 and answer.stdout.strip() == "VelPanel " + VERSION,
               "--version answers %r" % answer.stdout.strip())
        expect(version_block_file_version(signed_exe) == VERSION + ".0", "the version block's FileVersion")
        refused = run(sys.executable, os.path.join(SCRIPTS, "package-release.py"), EXE, "99.0.0",
                      os.path.join(work, "refused"), env=env)
        expect(refused.returncode != 0 and "CHANGELOG.md" in refused.stderr
               and not os.path.exists(os.path.join(work, "refused", "VelPanel-99.0.0-setup.exe")),
               "a version the changelog does not name is refused")

        check_manifest(first, one[setup_name])
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        sys.exit("%d check(s) failed" % len(failures))


def install(setup):
    """Installs the setup silently in a prefix of its own; the install folder on the host."""
    subprocess.run(["bash", os.path.join(SCRIPTS, "wine-prefix.sh"), PREFIX], env=ENV, check=True,
                   stdout=subprocess.DEVNULL)
    folder = os.path.join(PREFIX, "drive_c", "velpanel-release-test")
    shutil.rmtree(folder, ignore_errors=True)
    result = run("wine", setup, "/S", "/SIGNIN=0", "/D=C:\\velpanel-release-test", env=ENV, timeout=120)
    expect(result.returncode == 0, "the signed setup installs (exit %d)" % result.returncode)
    subprocess.run(["wineserver", "-w"], env=ENV)
    return folder


def check_manifest(dist, setup_bytes):
    folder = os.path.join(dist, "winget", "manifests", "q", "Qor", "VelPanel", VERSION)
    docs = {}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            doc = yaml.safe_load(f)
        docs[doc.get("ManifestType")] = doc
        missing = [k for k in REQUIRED.get(doc.get("ManifestType"), ["?"]) if k not in doc]
        expect(not missing, "%s: every required key (missing %s)" % (name, missing))
        expect(doc.get("ManifestVersion") == "1.6.0" and doc.get("PackageIdentifier") == "Qor.VelPanel"
               and doc.get("PackageVersion") == VERSION, name + ": identifier, version, manifest version")
    expect(sorted(docs) == ["defaultLocale", "installer", "version"], "version, installer and default locale files")
    installer = docs.get("installer", {})
    expect(docs.get("version", {}).get("DefaultLocale") == docs.get("defaultLocale", {}).get("PackageLocale"),
           "the default locale file is the one the version file names")
    items = installer.get("Installers") or [{}]
    expect(all(k in item for item in items for k in REQUIRED_PER_INSTALLER), "each installer's required keys")
    expect(items[0].get("InstallerSha256", "").lower() == hashlib.sha256(setup_bytes).hexdigest()
           and items[0].get("InstallerUrl", "").endswith("/VelPanel-%s-setup.exe" % VERSION),
           "the installer entry names the setup by its SHA-256")
    expect((installer.get("InstallerType"), installer.get("Scope"), installer.get("InstallerSwitches", {}).get("Silent"))
           == ("nullsoft", "user", "/S"), "nullsoft, per user, silent with /S")


if __name__ == "__main__":
    main()
