"""The PEP 517 build backend of the vellumtrace Python package.

pip (or python -m build) calls it with the interpreter the package is for;
it runs the project's own CMake build of the module for that interpreter
(-DPython_EXECUTABLE=sys.executable), installs the CMake component
"python" (the package, its stubs and, inside it, the dictionaries) into a
staging folder and zips that into a wheel. Nothing is downloaded: the build
needs the project's usual build packages (cmake, a C++ compiler, pybind11,
libxml2, Abseil) and the interpreter's headers.

Settings, as environment variables or --config-settings (-C) keys:
  VELLUMTRACE_BUILD_DIR  / build-dir   a CMake build folder to reuse
                                        (default: a temporary one)
  VELLUMTRACE_CMAKE_ARGS / cmake-args  more CMake arguments, shell-quoted
                                        (for example a compiler launcher)
  CMAKE_BUILD_PARALLEL_LEVEL           compile jobs (default 2)
"""
import base64
import hashlib
import io
import os
import pathlib
import re
import shlex
import subprocess
import sys
import sysconfig
import tarfile
import tempfile
import zipfile

SOURCE = pathlib.Path(__file__).resolve().parents[2]
NAME = "vellumtrace"
SUMMARY = "Frequency-based extractive text summaries"


def _version():
    cmake = (SOURCE / "CMakeLists.txt").read_text("utf-8")
    return re.search(r"project\(\s*Vellumtrace\s+VERSION\s+([0-9.]+)", cmake).group(1)


def _metadata():
    return (f"Metadata-Version: 2.1\nName: {NAME}\nVersion: {_version()}\n"
            f"Summary: {SUMMARY}\nRequires-Python: >=3.9\n")


def _dist_info():
    return f"{NAME}-{_version()}.dist-info"


def _tag():
    """The interpreter, ABI and platform this interpreter's modules carry."""
    version = f"{sys.version_info.major}{sys.version_info.minor}"
    interpreter = f"cp{version}" if sys.implementation.name == "cpython" else f"py{version}"
    soabi = sysconfig.get_config_var("SOABI") or ""
    match = re.match(r"cpython-(\d+)([a-z]*)", soabi)
    abi = f"cp{match.group(1)}{match.group(2)}" if match else "none"
    platform = re.sub(r"[-.]", "_", sysconfig.get_platform())
    return f"{interpreter}-{abi}-{platform}"


def _setting(config_settings, key, variable, default=None):
    if config_settings and config_settings.get(key):
        return config_settings[key]
    return os.environ.get(variable) or default


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def prepare_metadata_for_build_wheel(metadata_directory, config_settings=None):
    folder = pathlib.Path(metadata_directory, _dist_info())
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "METADATA").write_text(_metadata(), "utf-8")
    return folder.name


def _run(*command, **kwargs):
    print("vellumtrace build:", " ".join(map(str, command)), file=sys.stderr, flush=True)
    subprocess.run([str(c) for c in command], check=True, stdout=sys.stderr, **kwargs)


def _build_package(build, staging, config_settings):
    """Configures, builds and installs the python component into staging."""
    extra = shlex.split(_setting(config_settings, "cmake-args", "VELLUMTRACE_CMAKE_ARGS", ""))
    _run("cmake", "-S", SOURCE, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
         "-DVELLUMTRACE_BUILD_TESTS=OFF", "-DVELLUMTRACE_BUILD_BENCH=OFF",
         "-DVELLUMTRACE_BUILD_PYTHON=ON", f"-DPython_EXECUTABLE={sys.executable}",
         "-DVELLUMTRACE_PYTHON_INSTALL_DIR=.", "-DVELLUMTRACE_PYTHON_BUNDLE_DICTIONARIES=ON",
         "-DVELLUMTRACE_INSTALL_PACKAGE_DOCS=OFF",
         *extra)
    jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
    _run("cmake", "--build", build, "--target", "vellumtrace_python", "--parallel", jobs)
    _run("cmake", "--install", build, "--component", "python", "--prefix", staging)


def _record_line(name, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return f"{name},sha256={digest},{len(data)}"


def _write_wheel(staging, wheel_directory):
    dist_info = _dist_info()
    files = {}
    for path in sorted(p for p in staging.rglob("*") if p.is_file()):
        files[path.relative_to(staging).as_posix()] = (path.read_bytes(), path.stat().st_mode)
    files[f"{dist_info}/METADATA"] = (_metadata().encode(), 0o644)
    wheel = (f"Wheel-Version: 1.0\nGenerator: {NAME} build backend\n"
             f"Root-Is-Purelib: false\nTag: {_tag()}\n")
    files[f"{dist_info}/WHEEL"] = (wheel.encode(), 0o644)
    record = [_record_line(name, data) for name, (data, _) in files.items()]
    record.append(f"{dist_info}/RECORD,,")
    files[f"{dist_info}/RECORD"] = ("\n".join(record).encode() + b"\n", 0o644)

    filename = f"{NAME}-{_version()}-{_tag()}.whl"
    with zipfile.ZipFile(pathlib.Path(wheel_directory, filename), "w", zipfile.ZIP_DEFLATED) as out:
        for name, (data, mode) in files.items():
            entry = zipfile.ZipInfo(name, date_time=(2020, 1, 1, 0, 0, 0))
            entry.external_attr = (mode & 0o777 | 0o100000) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            out.writestr(entry, data)
    return filename


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    with tempfile.TemporaryDirectory(prefix="vellumtrace-wheel-") as scratch:
        build = _setting(config_settings, "build-dir", "VELLUMTRACE_BUILD_DIR",
                         os.path.join(scratch, "build"))
        staging = pathlib.Path(scratch, "staging")
        _build_package(pathlib.Path(build).resolve(), staging, config_settings)
        if not (staging / NAME / "__init__.py").is_file():
            raise RuntimeError(f"the CMake install left no {NAME}/__init__.py in {staging}")
        return _write_wheel(staging, wheel_directory)


def _source_files():
    """The tracked files when this is a git checkout, else every file
    outside build folders."""
    try:
        listed = subprocess.run(["git", "ls-files", "-z"], cwd=SOURCE, check=True,
                                capture_output=True).stdout.decode().split("\0")
        return [name for name in listed if name and (SOURCE / name).is_file()]
    except (OSError, subprocess.CalledProcessError):
        skip = re.compile(r"^(\.git|build[^/]*|dist)(/|$)")
        return [p.relative_to(SOURCE).as_posix() for p in SOURCE.rglob("*")
                if p.is_file() and not skip.match(p.relative_to(SOURCE).as_posix())]


def build_sdist(sdist_directory, config_settings=None):
    base = f"{NAME}-{_version()}"
    filename = f"{base}.tar.gz"
    with tarfile.open(pathlib.Path(sdist_directory, filename), "w:gz", format=tarfile.PAX_FORMAT) as out:
        for name in _source_files():
            out.add(SOURCE / name, f"{base}/{name}", recursive=False)
        info = tarfile.TarInfo(f"{base}/PKG-INFO")
        data = _metadata().encode()
        info.size = len(data)
        out.addfile(info, io.BytesIO(data))
    return filename
