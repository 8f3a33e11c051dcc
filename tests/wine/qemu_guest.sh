#!/usr/bin/env bash
# Runs the Wine suite on the real 32-bit DLL (tests/wine/run.sh --arch i686)
# inside a Debian 12 guest on QEMU, for machines whose kernel runs no 32-bit
# programs: the guest's own kernel does. The guest runs on QEMU's software
# CPU (TCG): the nested hypervisors such machines offer cannot boot Debian's
# stock kernel.
#
#   tests/wine/qemu_guest.sh
#
# Needs the Linux build (build/bin/vellumtrace) and the win32 build
# (build-win32), as run.sh does, and root for debootstrap (the first time).
# The guest image (debootstrap, then apt-get in a chroot) is kept in
# build-win32/wine-guest/, keyed by its package list and its recipe, so a
# second run only boots. The guest needs no network; the host fetches the
# packages from a Debian mirror ($VELLUMTRACE_DEBIAN_MIRROR).
#
# Everything is bounded in time: the image build
# ($VELLUMTRACE_WINE_GUEST_BUILD_TIMEOUT, 1200 s a step) and the guest
# ($VELLUMTRACE_WINE_GUEST_TIMEOUT, 2400 s from boot to power-off). Any
# failure, including a guest that never reports, fails this script: there
# is no silent fallback to a stand-in.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
script_started=$SECONDS

mirror=${VELLUMTRACE_DEBIAN_MIRROR:-http://deb.debian.org/debian}
build_limit=${VELLUMTRACE_WINE_GUEST_BUILD_TIMEOUT:-1200}
guest_limit=${VELLUMTRACE_WINE_GUEST_TIMEOUT:-2400}
cpus=${VELLUMTRACE_WINE_GUEST_CPUS:-$(( $(nproc) < 4 ? $(nproc) : 4 ))}
memory=${VELLUMTRACE_WINE_GUEST_MEMORY:-3072}
linux_cli=${VELLUMTRACE_LINUX_CLI:-$root/build/bin/vellumtrace}
dll=$root/build-win32/bin/Vellumtrace.dll

# ---- which DLL, and why: the first and the last line ----------------------

if [[ -x /usr/lib/wine/wine ]] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  why="the guest was asked for (this kernel runs 32-bit programs too)"
else
  why="this kernel cannot run 32-bit programs"
fi
exercised="wine suite: the real i686 DLL (build-win32/bin/Vellumtrace.dll) inside a Debian 12\
 guest under QEMU (software CPU), because $why"
echo "== $exercised"
summary="guest: did not boot"
status=1
finish() {
  echo "$summary"
  echo "== $exercised"
  if [[ $status -ne 0 ]]; then echo "wine guest: FAILED (status $status)" >&2; fi
}
trap finish EXIT
die() { echo "wine guest: $*" >&2; exit 1; }

mkdir -p "$root/build-win32"
echo "$exercised" >"$root/build-win32/wine-suite-exercised.txt"

[[ -x $linux_cli ]] || die "no Linux tool at $linux_cli: build the default preset first"
for f in "$dll" "$root"/build-win32/bin/{com_client.exe,host_client.exe,Vellumtrace.manifest}; do
  [[ -f $f ]] || die "no $f: build the win32 preset first"
done
for tool in qemu-system-x86_64 debootstrap mke2fs flock; do
  command -v "$tool" >/dev/null || die "no $tool: run tools/install_deps.sh --win32"
done

# ---- the image --------------------------------------------------------------

# What the suite runs in the guest: Wine for 32-bit programs only, a virtual
# display and a way to press its buttons, the PE tools for the DLL checks.
packages=(linux-image-amd64 wine wine32:i386 xvfb xauth xdotool binutils binutils-mingw-w64-i686)

# The guest's first process: mounts what the suite needs, runs the job's
# script from the shared folder, and powers off. The script itself is the
# job's, so changing it needs no new image.
guest_init='#!/bin/sh
PATH=/usr/sbin:/usr/bin:/sbin:/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev 2>/dev/null
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
mkdir -p /mnt/job
if mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144 job /mnt/job &&
   [ -f /mnt/job/guest-run.sh ]; then
  /bin/bash /mnt/job/guest-run.sh
else
  echo "guest: no job folder"
fi
sync
umount /mnt/job
echo o >/proc/sysrq-trigger
sleep 60'

# Builds the image into $1: rootfs.img (ext4, sparse), vmlinuz, initrd.img.
build_image() {
  local out=$1 tree=$1/rootfs step_limit=$build_limit
  # Only the point release's main suite: the guest has no network and runs
  # nothing but our tests, and one suite keeps both architectures of every
  # Multi-Arch library at one version (a mirror can lack one architecture's
  # security index).
  timeout "$step_limit" debootstrap --variant=minbase --arch=amd64 bookworm "$tree" "$mirror" \
    >"$out/debootstrap.log" 2>&1 || { tail -n 20 "$out/debootstrap.log" >&2; return 1; }
  cp /etc/resolv.conf "$tree/etc/resolv.conf"
  printf '#!/bin/sh\nexit 101\n' >"$tree/usr/sbin/policy-rc.d"
  chmod +x "$tree/usr/sbin/policy-rc.d"
  echo "deb $mirror bookworm main" >"$tree/etc/apt/sources.list"
  # The 9p modules must be in the initramfs: /lib/modules is pruned below.
  mkdir -p "$tree/etc/initramfs-tools"
  printf '%s\n' virtio_pci virtio_blk ext4 9pnet_virtio 9p >"$tree/etc/initramfs-tools/modules"
  mount -t proc proc "$tree/proc"
  mount -t sysfs sys "$tree/sys"
  local in_root=(chroot "$tree" env DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8)
  {
    "${in_root[@]}" dpkg --add-architecture i386 &&
      timeout "$step_limit" "${in_root[@]}" apt-get update -q &&
      timeout "$step_limit" "${in_root[@]}" apt-get install -y -q --no-install-recommends \
        -o Dpkg::Options::=--force-confold "${packages[@]}" &&
      "${in_root[@]}" apt-get clean
  } >"$out/apt.log" 2>&1 || { umount "$tree/proc" "$tree/sys"; tail -n 30 "$out/apt.log" >&2; return 1; }
  umount "$tree/proc" "$tree/sys"
  printf '%s\n' "$guest_init" >"$tree/usr/local/sbin/vellumtrace-guest-init"
  chmod +x "$tree/usr/local/sbin/vellumtrace-guest-init"
  : >"$tree/etc/fstab"
  echo vellumtrace-guest >"$tree/etc/hostname"
  # The kernel and initramfs boot from outside; modules, documentation and
  # package lists are dead weight.
  cp "$tree"/boot/vmlinuz-* "$out/vmlinuz"
  cp "$tree"/boot/initrd.img-* "$out/initrd.img"
  rm -rf "$tree"/boot/* "$tree"/lib/modules/* "$tree"/usr/share/{doc,man,info,locale}/* \
    "$tree"/var/lib/apt/lists/* "$tree"/var/cache/apt/*.bin "$tree/usr/sbin/policy-rc.d"
  # Room for the job's copy, the Wine prefix and the logs; the file is
  # sparse, and the guest's writes go to a throwaway overlay (snapshot=on).
  local used_mb
  used_mb=$(du -sm "$tree" | cut -f1)
  mke2fs -q -t ext4 -L vtguest -d "$tree" "$out/rootfs.img" "$((used_mb + 2048))M" \
    >"$out/mke2fs.log" 2>&1 || { cat "$out/mke2fs.log" >&2; return 1; }
  rm -rf "$tree"
}

# The cache key: the package list, the recipe and the first process.
key=$( { printf '%s\n' "${packages[@]}"; declare -f build_image; printf '%s' "$guest_init"; } |
       sha256sum | cut -c1-16)
cache=$root/build-win32/wine-guest
image=$cache/image-$key
mkdir -p "$cache"
exec 9>"$cache/.lock"
# Held to the end: the job folder below is shared too.
flock -w "$build_limit" 9 || die "another run holds $cache/.lock"
build_seconds=
if [[ -f $image/rootfs.img && -f $image/vmlinuz && -f $image/initrd.img ]]; then
  echo "== Guest image $image (cached)"
else
  [[ $(id -u) -eq 0 ]] || die "building the guest image needs root (debootstrap, chroot)"
  echo "== Building the guest image $image (debootstrap from $mirror)"
  # Images for other package lists or recipes are stale.
  rm -rf "$cache"/image-* "$cache"/building-*
  started=$SECONDS
  building=$cache/building-$key
  mkdir -p "$building"
  cleanup_build() {  # whatever a failed build left mounted
    local m
    for m in proc sys; do
      mountpoint -q "$building/rootfs/$m" 2>/dev/null && umount "$building/rootfs/$m"
    done
    return 0
  }
  if ! build_image "$building"; then
    cleanup_build
    die "the guest image could not be built (logs in $building)"
  fi
  printf '%s\n' "${packages[@]}" >"$building/packages.txt"
  mv "$building" "$image"
  build_seconds=$((SECONDS - started))
fi
image_size="$(du -m --apparent-size "$image/rootfs.img" | cut -f1) MB apparent,\
 $(du -sm "$image" | cut -f1) MB on disk"
echo "== Guest image: $image_size${build_seconds:+, built in $build_seconds s}"

# ---- the job ------------------------------------------------------------------

# Everything the guest needs goes into one shared folder: the source tree,
# the win32 build's programs, and the Linux tool with the libraries it was
# linked against (the guest has the same C library, not the others).
job=$cache/job
rm -rf "$job"
mkdir -p "$job/tree/build-win32" "$job/cli/lib"
tar -C "$root" --exclude=./.git --exclude=./build --exclude='./build-*' -cf - . |
  tar -C "$job/tree" -xf -
cp -a "$root/build-win32/bin" "$job/tree/build-win32/"
cp "$linux_cli" "$job/cli/vellumtrace.bin"
ldd "$linux_cli" | sed -n 's/^\s*\(\S*\) => \(\/\S*\) .*/\1 \2/p' |
  while read -r name path; do
    case $name in
      libc.so.*|libm.so.*|libpthread.so.*|libdl.so.*|librt.so.*|ld-linux*) ;;
      *) cp -L "$path" "$job/cli/lib/$name" ;;
    esac
  done
printf '#!/bin/sh\nLD_LIBRARY_PATH=/job/cli/lib exec /job/cli/vellumtrace.bin "$@"\n' \
  >"$job/cli/vellumtrace"
chmod +x "$job/cli/vellumtrace"
dll_sum=$(sha256sum "$dll" | cut -c1-16)
suite_limit=$((guest_limit - 180))
{
  printf 'exercised=%q\n' "$exercised"
  printf 'suite_limit=%q\n' "$suite_limit"
  printf 'lang=%q\n' "${LANG:-C.UTF-8}"
} >"$job/settings"
cat >"$job/guest-run.sh" <<'EOF'
# Runs in the guest as its first process's child: copies the job to the
# guest's own disk, runs the i686 suite there and leaves its status behind.
set -u
job=/mnt/job
. "$job/settings"
run() {
  echo "guest: up after $(cut -d' ' -f1 /proc/uptime) s; kernel $(uname -r) ($(uname -m));\
 $(/usr/lib/wine/wine --version 2>&1) ($(file_kind /usr/lib/wine/wine))"
  mkdir -p /job
  cp -a "$job/tree" "$job/cli" /job/ || return 1
  echo "guest: the DLL $(sha256sum /job/tree/build-win32/bin/Vellumtrace.dll | cut -c1-16)..., $(
    i686-w64-mingw32-objdump -f /job/tree/build-win32/bin/Vellumtrace.dll |
      sed -n 's/.*file format //p')"
  /job/cli/vellumtrace --version >/dev/null || { echo "guest: the Linux tool does not run"; return 1; }
  local started status=0
  started=$(cut -d' ' -f1 /proc/uptime)
  cd /job/tree
  HOME=/root LANG=$lang VELLUMTRACE_EXERCISED=$exercised VELLUMTRACE_LINUX_CLI=/job/cli/vellumtrace \
    timeout -k 30 "$suite_limit" tests/wine/run.sh --arch i686 || status=$?
  [ "$status" -eq 124 ] && echo "guest: the suite was stopped after $suite_limit s"
  echo "guest: the suite took $(awk -v a="$started" '{printf "%d", $1 - a}' /proc/uptime) s, status $status"
  return "$status"
}
# ELF class of a file, from its header (no file(1) in the guest).
file_kind() { [ "$(od -An -tx1 -j4 -N1 "$1" | tr -d ' ')" = 01 ] && echo 32-bit || echo 64-bit; }
run 2>&1 | tee "$job/guest.log"
status=${PIPESTATUS[0]}
# The clients' logs, for a failure's details.
mkdir -p "$job/logs"
cp /job/tree/build-win32/wine/*.log "$job/logs/" 2>/dev/null
echo "$status" >"$job/status"
EOF

# ---- the guest ----------------------------------------------------------------

# With SMAP and protection keys on, QEMU 7.2's software CPU faults the
# iret of 32-bit programs in the guest's kernel: Wine dies at its first
# system call.
echo "== Booting the guest: $cpus CPUs, $memory MB, software CPU, at most $guest_limit s"
booted=$SECONDS
qemu_status=0
timeout -k 30 "$guest_limit" qemu-system-x86_64 \
  -accel tcg -cpu max,smap=off,pku=off -smp "$cpus" -m "$memory" \
  -nodefaults -no-user-config -display none -no-reboot \
  -chardev stdio,id=console,signal=off -serial chardev:console \
  -kernel "$image/vmlinuz" -initrd "$image/initrd.img" \
  -append "root=/dev/vda rw rootfstype=ext4 console=ttyS0 quiet loglevel=3 panic=5\
 init=/usr/local/sbin/vellumtrace-guest-init" \
  -drive "file=$image/rootfs.img,format=raw,if=virtio,snapshot=on" \
  -virtfs "local,path=$job,mount_tag=job,security_model=none,id=job" \
  </dev/null 2>&1 | sed -u 's/\r$//' || qemu_status=${PIPESTATUS[0]}
guest_seconds=$((SECONDS - booted))
[[ $qemu_status -eq 124 ]] && echo "wine guest: QEMU was stopped after $guest_limit s" >&2

if [[ -f $job/status ]]; then
  status=$(<"$job/status")
  summary="guest: $image_size, ${build_seconds:+built in $build_seconds s, }$(
    sed -n 's/^guest: up after \([0-9]*\).*/booted in \1 s, /p; s/^guest: the suite took \([0-9]*\) s.*/suite \1 s, /p' \
      "$job/guest.log" | tr -d '\n')boot to power-off $guest_seconds s, whole run\
 $((SECONDS - script_started)) s; the DLL $dll_sum...; status $status"
else
  status=1
  summary="guest: no status came back (QEMU status $qemu_status after $guest_seconds s)"
fi
exit "$status"
