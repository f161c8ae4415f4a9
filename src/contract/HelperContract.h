// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

// The command line of tessaro-helper, the program that does every write to a
// drive on Linux, as root, one verb per run. The application (through pkexec,
// or directly when it already runs as root) and the helper both build on this
// header; nothing else about the helper is shared.
//
//   tessaro-helper format DISK NAME CLUSTER [SIZE]
//                                             erase DISK: MBR, one FAT32 partition
//   tessaro-helper check TARGET [MODE]        check (and repair) the FAT on TARGET
//   tessaro-helper info DISK [PARTITION]      tell the facts of DISK (and PARTITION)
//   tessaro-helper probe DISK [full]          test how much of DISK really holds data
//   tessaro-helper batch VERB DISK... -- [ARG...]
//                                             VERB DISK ARG... for each DISK at once
//
// DISK, TARGET and PARTITION are kernel device names ("sdb", "sdb1",
// "mmcblk0p1", "loop3"), never paths: the helper builds "/dev/NAME" itself
// after checking NAME against /sys/class/block. A name of that shape the
// kernel does not know (any more) ends the run with noSuchDevice. TARGET is a
// partition, or a whole disk that holds its FAT file system without a
// partition table. NAME is the volume label exactly as it is to be written.
// CLUSTER is "default" or a power of two from 512 to 65536 (bytes). SIZE,
// when given, is the partition's size in bytes, a decimal number: it is
// aligned down to whole MiB and must leave the partition, which starts at
// 1 MiB, on the disk and large enough for FAT32 with CLUSTER; without it the
// partition runs to the end of the disk. Before the table is written, format
// clears what lies before the partition's start (a file system on the whole
// disk leaves its boot sectors there). MODE is checkRepair (the default:
// repair what can be repaired) or checkReadOnly (fsck.fat -n: the check opens
// TARGET read-only, tells no writing event and changes nothing on it; it is
// guarded, unmounted and held as a repair is).
//
// Output: the helper first prints startMarker on a line of its own. Every
// line after it is a frame whose start the helper chose (FrameWriter; the
// caller reads them with FrameReader): an event frame, eventPrefix and one
// compact JSON object, or a text frame, textPrefix and the bytes of a line
// for people. Text frames carry the helper's own lines and, for every tool
// it runs on the drive, the command as one line beginning "$ ", a text the
// tool reads on standard input, one line each after "> ", and what the tool
// printed (standard output and standard error together, in the order the
// tool wrote them): every line of it a text frame whatever it looks like,
// one longer than FrameWriter::maxTextBytes cut into several between two
// characters. So nothing a tool prints can start a line of its own, and none
// of it can pass for the marker or an event. One carriage return before a
// line feed is the line's end and the reader drops it (a frame cut right
// after one of the line's own gets another, for the reader to drop). A line
// after the marker that is no frame is text for people, never an event.
// Tools that only read for the helper (lsblk, findmnt, the read-back after a
// format, info's blkid) are not shown: their findings are. Everything goes
// to standard output; the helper writes nothing to standard error, so what
// arrives there comes from pkexec. Every write is checked for its full count;
// when one fails, the caller may have lost what the run told: the run stops
// as when its caller goes away, with status outputLost, and a run that would
// have succeeded ends with outputLost once it has said so.
//
// The guard reads the kernel's tables itself (sysfs, the mount and swap
// tables, udev's records, a loop device's status): one it cannot read stops
// the run before anything is written, with toolFailed and a line that says
// what could not be read ("could not read ...: Input/output error"), never as
// if it had read an empty table. What the guard proved is read again at the
// last moment before each step that writes.
//
// Cancelling: the caller keeps the helper's standard input open as a pipe and
// writes nothing to it until it wants the run to stop. A line cancelRequest
// asks the helper to stop (anything else written there is no request and
// stops the run the same way, so that nothing can stand before a cancel): it
// ends the tool it is running (SIGTERM to the tool's process group, SIGKILL
// after a short grace) and exits with Status::cancelled after its failure
// event of kind "cancelled" and one line beginning "Cancelled:" for people.
// When standard input ends without that line, the caller has gone away: the
// helper stops the same way, except that a format that has begun writing
// finishes, so that the drive is not left half erased with nobody told. A standard input
// that is no pipe, socket or terminal (such as /dev/null) carries no requests
// and is not watched. SIGTERM is the same request as the cancel line. The
// helper belongs to no terminal's foreground group once it runs (it leaves
// the caller's session where it can and ignores SIGINT, SIGQUIT, SIGTSTP,
// SIGHUP, SIGTTIN and SIGTTOU): a Ctrl+C or a hang-up at the caller's terminal
// never ends it; the caller cancels.
//
// A loop device is judged by what it serves: one over a block device is
// refused (the disk is named itself), one over a file only when no other loop
// device serves that file and the file belongs to the user who asked
// (PKEXEC_UID; the real user without pkexec); a disk that a loop device serves
// is refused as in use. A read-only disk, partition or loop device is refused
// by format, check and probe before anything is unmounted or written.
//
// Events: besides the text, which is for people and written once, the
// helper prints typed events (HelperEvent), each an event frame. They are the
// only part of the output the caller reads; the caller keeps them out of any
// log. Every tool shown by a "$ " line is told
// just before it by a step event (its argument vector). Every verb tells
// one writing event where it begins to change the drive (format before its
// first write, check before fsck.fat repairs, probe before its test blocks): a
// cancel or a failure after it leaves the drive changed. Every run that stops
// early with one of the helper's statuses (or a tool's, for a format) tells one
// failure event just before the line that says why: its kind is
// failureKind(status), "written" whether the writing event came before it,
// "tool" the program that failed where one did (empty otherwise), "message"
// that line. A cancelled run's failure event has the kind "cancelled" and the
// "Cancelled:" line as its message.
//
// An event may carry a member "disk": the kernel name of the disk it concerns
// (HelperEvent). The helper leaves it out while a run concerns one disk, the
// one on its command line; reading takes it where it is and refuses an event
// whose "disk" is no kernel name. The info verb's result is the exception: its
// "disk" is the object of the facts it read.
//
// info tells the facts it read as one result event (verb "info": "disk" and
// "partition", see DriveFacts) and prints no line for people.
//
// format and check tell progress events by step from their writing event
// on (bytesDone 0, no secondsLeft), each when a step ended well: format after
// each step of the table and after mkfs.fat, before its read-back; check, as
// fsck.fat tells no fraction of its own, 0 when it begins, after its repair
// and 1 at its end (a read-only check, which tells no writing event, from
// where it begins). A step that fails ends the progress where it stands.
//
// format reads the drive back after its last write and tells one result event
// (verb "format": what it found, whether it matches what was asked, see
// FormatVerdict), followed by a failure event of kind "verificationFailed"
// when it does not match; the read-back is told by that event alone, its
// line for people only when it does not match. mkfs.fat is told the
// partition's start in the disk's own logical sectors as the boot sector's
// hidden sectors, and the read-back checks that field.
//
// probe writes test blocks over the claimed size of DISK (destroying what they
// cover, like a format), reads them back and tells, while it runs, progress
// events, and at its end one result event (verb "probe": the verdict and its
// figures, see ProbeResult) with the status of its verdict: success
// (genuine), counterfeit, damaged or driveFailed; or one failure event: kind
// "driveStopped" with status driveStopped when the drive stopped answering
// part way. Without a mode it samples the drive behind writes that flush a
// lying cache (the quick test); with fullProbe it writes every block and
// reads every block back, and its progress events tell the speed too. After
// a verdict the kernel has been told that the drive holds no partition table
// any more (the result says when that failed). It prints no line of its
// verdict: the caller says it from the result event, in the user's language.
// A caller that goes away stops it like a cancel.
//
// batch runs format, check or probe over several disks (at most
// maxBatchDisks, each named once) at the same time, each as its own run of
// that verb with that disk and the arguments after batchArgumentsMark: each
// disk is proven, locked, held and written as in a run of its own, and one
// disk's failure, refusal or removal leaves the others' runs alone. Its
// output is one start marker, then the frames of every disk's run as they
// come, a whole line at a time: every event carries the "disk" it concerns;
// before text frames of another disk than the last ones, a lines event names
// it; when a disk's run has ended, a finished event tells its status. A cancel
// request (or SIGTERM) cancels every disk's run, and a caller that goes away
// is gone for each of them, as in a run of its own; a line of cancelRequest,
// one blank and a disk's name cancels that disk's run alone. The batch ends when every
// disk's run has, with success when each did, batchIncomplete otherwise. A
// batch that is malformed (usage) or names a disk twice, by the same name or
// by two names of one disk (refusedDevice), runs nothing.

namespace tessaro::HelperContract {

inline constexpr const char* startMarker = "@@tessaro-helper-started@@";
inline constexpr const char* cancelRequest = "cancel";
inline constexpr const char* eventPrefix = "@@tessaro-event@@ ";
inline constexpr const char* textPrefix = "| ";

inline constexpr const char* formatVerb = "format";
inline constexpr const char* checkVerb = "check";
inline constexpr const char* infoVerb = "info";
inline constexpr const char* probeVerb = "probe";
inline constexpr const char* batchVerb = "batch";
inline constexpr const char* batchArgumentsMark = "--";
inline constexpr int maxBatchDisks = 32;
inline constexpr const char* defaultCluster = "default";
inline constexpr const char* checkRepair = "repair";
inline constexpr const char* checkReadOnly = "read-only";
inline constexpr const char* fullProbe = "full";

// Exit statuses. Below 64 a status is the one a tool reported (check passes
// fsck.fat's on: 0 clean, 1 errors fixed, 4 errors left, and in read-only
// mode 0 clean, 4 errors found and left as they are; a format whose tool
// failed with a status from 1 to 63 ends with that status, toolFailed when
// the tool could not say, as when a signal ended it). 126 and 127 are
// pkexec's own (dismissed, not authorized or not started) and never the
// helper's. A failure event names its status by failureKind.
enum Status : int {
  success = 0,
  usage = 64,               // unknown verb, wrong number or shape of arguments; nothing ran
  refusedDevice = 65,       // not a device Tessaro may touch; nothing written
  refusedRequest = 66,      // the volume name, cluster or partition size cannot be honoured;
                            // nothing written
  verificationFailed = 67,  // the tools succeeded but the drive does not hold what was asked
  deviceChanged = 68,       // the name now means another disk; stopped before writing to it
  deviceBusy = 69,          // locked or held by another process or Tessaro run; nothing written
  toolMissing = 70,         // a program the verb needs is not installed; nothing written
  toolFailed = 71,          // a tool the verb ran failed; its line says which and why
  cancelled = 72,           // the caller cancelled; the "Cancelled:" line says what state remains
  counterfeit = 73,         // probe: the drive holds less than it claims; the verdict says how much
  driveStopped = 74,        // probe: the drive stopped answering part way; no verdict on its
                            // capacity, and it holds test data
  noSuchDevice = 75,        // the kernel knows no block device of that name (any more): the
                            // drive is no longer attached; nothing written
  damaged = 76,             // probe: the drive loses data in places and keeps it around them
  driveFailed = 77,         // probe: the drive refused writes, or stopped storing them, from
                            // some point of the test on
  outputLost = 78,          // standard output could not be written, so the caller may have lost
                            // what the run told; a format that had begun writing finished
  batchIncomplete = 79,     // batch: the run of at least one disk did not end with success; each
                            // disk's finished event tells its status
};

// The kind a failure event gives its status: the name of the status above, or
// "toolFailed" for a tool's own status.
constexpr const char* failureKind(int status) {
  switch (status) {
    case usage:
      return "usage";
    case refusedDevice:
      return "refusedDevice";
    case refusedRequest:
      return "refusedRequest";
    case verificationFailed:
      return "verificationFailed";
    case deviceChanged:
      return "deviceChanged";
    case deviceBusy:
      return "deviceBusy";
    case toolMissing:
      return "toolMissing";
    case cancelled:
      return "cancelled";
    case counterfeit:
      return "counterfeit";
    case driveStopped:
      return "driveStopped";
    case noSuchDevice:
      return "noSuchDevice";
    case damaged:
      return "damaged";
    case driveFailed:
      return "driveFailed";
    case outputLost:
      return "outputLost";
    case batchIncomplete:
      return "batchIncomplete";
    default:
      return "toolFailed";
  }
}

}  // namespace tessaro::HelperContract
