#!/usr/bin/env python3
"""The release files of a built VelPanel.exe, the same bytes in any folder:

    package-release.py EXE VERSION OUTDIR [--unsigned]

OUTDIR gets
    VelPanel-<version>-setup.exe   the installer (NSIS); its uninstaller and VelPanel.exe inside signed
    VelPanel-<version>-x64.zip     the portable zip: VelPanel.exe, README.txt, LICENSE.txt, CHANGELOG.md
    SHA256SUMS                     the checksums of both
    winget/manifests/q/Qor/VelPanel/<version>/   the Windows Package Manager manifest (multi-file form)

Signing (scripts/sign.sh) takes the certificate from VELPANEL_SIGN_PKCS12 and
VELPANEL_SIGN_PASSWORD; --unsigned leaves it out (the build's own setup for the
installer stories). SOURCE_DATE_EPOCH (default: the time of the last commit)
is the date of every file inside the setup and the zip and the signing time.
VELPANEL_DOWNLOAD_URL is the address the published files are found under (the
manifest's InstallerUrl). Refuses when CHANGELOG.md's top entry does not name
VERSION.
"""
import datetime
import hashlib
import os
import re
import shutil
import subprocess
import sys
import zipfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
PACKAGE_ID = "Qor.VelPanel"
MANIFEST_VERSION = "1.6.0"
DEFAULT_DOWNLOAD_URL = "https://downloads.qor.example/velpanel/{version}"


def fail(message):
    sys.exit("package-release: " + message)


def changelog_top(path):
    """(version, text) of the newest entry: its '## <version> ...' heading and its lines."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    starts = [i for i, line in enumerate(lines) if line.startswith("## ")]
    if not starts:
        return None, ""
    match = re.match(r"## \[?(\d+\.\d+\.\d+)\]?(\s|$)", lines[starts[0]])
    end = starts[1] if len(starts) > 1 else len(lines)
    return (match.group(1) if match else None), "\n".join(lines[starts[0] + 1:end]).strip()


def source_date_epoch():
    if "SOURCE_DATE_EPOCH" in os.environ:
        return int(os.environ["SOURCE_DATE_EPOCH"])
    result = subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%ct"], capture_output=True, text=True)
    if result.returncode != 0 or not result.stdout.strip():
        fail("SOURCE_DATE_EPOCH is not set and %s is no git checkout" % ROOT)
    return int(result.stdout.strip())


def windows_text(source, target, version, epoch):
    """A text file with Windows line ends and the version filled in, dated `epoch`."""
    with open(source, encoding="utf-8") as f:
        text = f.read().replace("@VELPANEL_RELEASE_VERSION@", version)
    with open(target, "w", encoding="utf-8", newline="\r\n") as f:
        f.write(text)
    os.utime(target, (epoch, epoch))


def copy_dated(source, target, epoch):
    shutil.copyfile(source, target)
    os.utime(target, (epoch, epoch))


def sign(*files):
    subprocess.run(["bash", os.path.join(ROOT, "scripts", "sign.sh"), *files], check=True)


def make_zip(path, files, epoch):
    """Stored in the given order, each entry dated `epoch` (UTC), no owner or mode of the host."""
    stamp = datetime.datetime.fromtimestamp(max(epoch, 315532800), datetime.timezone.utc).timetuple()[:6]
    with zipfile.ZipFile(path, "w") as archive:
        for name, source in files:
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.create_system = 0           # MS-DOS attributes
            info.external_attr = 0x20        # archive bit only
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(source, "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def write_manifests(folder, version, setup, release_date, notes):
    """The version, installer and default-locale files of the manifest's multi-file form."""
    os.makedirs(folder, exist_ok=True)
    url = os.environ.get("VELPANEL_DOWNLOAD_URL", DEFAULT_DOWNLOAD_URL).format(version=version).rstrip("/")
    head = "# Made by scripts/package-release.py\n# yaml-language-server: $schema=https://aka.ms/winget-manifest.%s.%s.schema.json\n\n"
    common = "PackageIdentifier: %s\nPackageVersion: %s\n" % (PACKAGE_ID, version)
    tail = "ManifestType: %s\nManifestVersion: " + MANIFEST_VERSION + "\n"
    files = {
        PACKAGE_ID + ".yaml": head % ("version", MANIFEST_VERSION) + common + "DefaultLocale: en-US\n" + tail % "version",
        PACKAGE_ID + ".installer.yaml": head % ("installer", MANIFEST_VERSION) + common + (
            "InstallerLocale: en-US\n"
            "Platform:\n- Windows.Desktop\n"
            "MinimumOSVersion: 6.1.0.0\n"
            "InstallerType: nullsoft\n"
            "Scope: user\n"
            "InstallModes:\n- interactive\n- silent\n- silentWithProgress\n"
            "InstallerSwitches:\n  Silent: /S\n  SilentWithProgress: /S\n"
            "UpgradeBehavior: install\n"
            "ProductCode: VelPanel\n"
            "ReleaseDate: %s\n"
            "AppsAndFeaturesEntries:\n- DisplayName: VelPanel\n  Publisher: Qor\n  DisplayVersion: %s\n  ProductCode: VelPanel\n"
            "Installers:\n- Architecture: x64\n  InstallerUrl: %s/%s\n  InstallerSha256: %s\n"
        ) % (release_date, version, url, os.path.basename(setup), sha256(setup).upper()) + tail % "installer",
        PACKAGE_ID + ".locale.en-US.yaml": head % ("defaultLocale", MANIFEST_VERSION) + common + (
            "PackageLocale: en-US\n"
            "Publisher: Qor\n"
            "PackageName: VelPanel\n"
            "License: Proprietary\n"
            "Copyright: Copyright (C) Qor. All rights reserved.\n"
            "ShortDescription: Control panel of the Velmora, Qor's USB audio interface\n"
            "Description: VelPanel lives in the notification area, applies your settings to every Velmora you plug in, "
            "and sets sample rate, clock, latency, output volumes, mutes and links, with 26 live peak meters.\n"
            "Moniker: velpanel\n"
            "Tags:\n- audio\n- usb-audio\n- mixer\n"
            "ReleaseNotes: |-\n%s\n"
        ) % "\n".join("  " + line if line else "" for line in notes.splitlines()) + tail % "defaultLocale",
    }
    for name, text in files.items():
        with open(os.path.join(folder, name), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)


def main(argv):
    args = [a for a in argv if a != "--unsigned"]
    if len(args) != 3:
        fail("usage: package-release.py EXE VERSION OUTDIR [--unsigned]")
    exe, version, out = os.path.abspath(args[0]), args[1], os.path.abspath(args[2])
    signed = "--unsigned" not in argv
    changelog = os.path.join(ROOT, "CHANGELOG.md")
    top, notes = changelog_top(changelog)
    if top != version:
        fail("the top entry of CHANGELOG.md names %s, not %s: write what %s brings first" %
             (top or "no version", version, version))
    epoch = source_date_epoch()
    os.environ["SOURCE_DATE_EPOCH"] = str(epoch)  # the signing time of sign.sh

    setup = os.path.join(out, "VelPanel-%s-setup.exe" % version)
    zip_path = os.path.join(out, "VelPanel-%s-x64.zip" % version)
    stage = os.path.join(out, "stage")
    shutil.rmtree(stage, ignore_errors=True)
    os.makedirs(stage)
    for old in (setup, zip_path, os.path.join(out, "SHA256SUMS")):
        if os.path.exists(old):
            os.remove(old)

    staged_exe = os.path.join(stage, "VelPanel.exe")
    copy_dated(exe, staged_exe, epoch)
    if signed:
        sign(staged_exe)
        os.utime(staged_exe, (epoch, epoch))
    windows_text(os.path.join(ROOT, "installer", "README-portable.txt.in"), os.path.join(stage, "README.txt"),
                 version, epoch)
    windows_text(os.path.join(ROOT, "LICENSE"), os.path.join(stage, "LICENSE.txt"), version, epoch)
    copy_dated(os.path.join(ROOT, "res", "VelPanel.ico"), os.path.join(stage, "VelPanel.ico"), epoch)
    copy_dated(changelog, os.path.join(stage, "CHANGELOG.md"), epoch)

    major, minor = version.split(".")[:2]
    command = ["makensis", "-V2", "-DVERSION=" + version, "-DVERSION_MAJOR=" + major, "-DVERSION_MINOR=" + minor,
               "-DEXE=" + staged_exe, "-DICON=" + os.path.join(stage, "VelPanel.ico"),
               "-DLICENSE=" + os.path.join(stage, "LICENSE.txt"), "-DOUTFILE=" + setup]
    if signed:
        command.append("-DSIGN_SCRIPT=" + os.path.join(ROOT, "scripts", "sign.sh"))
    command.append(os.path.join(ROOT, "installer", "VelPanel.nsi"))
    subprocess.run(command, check=True, env=dict(os.environ, LC_ALL="C.UTF-8"))
    if signed:
        sign(setup)

    make_zip(zip_path, [(name, os.path.join(stage, name))
                        for name in ("VelPanel.exe", "README.txt", "LICENSE.txt", "CHANGELOG.md")], epoch)
    with open(os.path.join(out, "SHA256SUMS"), "w", newline="\n") as f:
        for path in (setup, zip_path):
            f.write("%s  %s\n" % (sha256(path), os.path.basename(path)))
    release_date = datetime.datetime.fromtimestamp(epoch, datetime.timezone.utc).strftime("%Y-%m-%d")
    write_manifests(os.path.join(out, "winget", "manifests", "q", "Qor", "VelPanel", version), version, setup,
                    release_date, notes)
    shutil.rmtree(stage)


if __name__ == "__main__":
    main(sys.argv[1:])
