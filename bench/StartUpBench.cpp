// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// What a user waits for when starting Tessaro's two doors, as whole
// processes against their baselines, interleaved in one run:
//   list:   tessaro-cli list --json against lsblk with the same columns, and
//           beside it a Qt command line that does nothing against lsblk:
//           the part of the ratio that is Qt's start alone;
//   window: tessaro until its window is mapped and drawn with the drive list
//           in it, against a minimal Qt "hello" window (QtHello), both on a
//           virtual X server of the bench's own (Xvfb). A window counts until
//           the last drawing it reported (X's damage events) before it stayed
//           still for quietMs: its first frame with everything in it. Both
//           sides are ended after that.
// Prints per row the minimum and median of the per-round ratios (ours /
// baseline), each side's median, and the load average before and after.
//
//   StartUpBench [ROUNDS]   (default 21)
// The programs measured are this build's; TESSARO_BENCH_CLI and
// TESSARO_BENCH_WINDOW name others (another build's, for a before and after).
#include <poll.h>
#include <signal.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QStringList>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "BenchRounds.h"
#include "drives/linux/LsblkJson.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int quietMs = 300;
constexpr int windowTimeoutMs = 10'000;

double msSince(Clock::time_point start, Clock::time_point then) {
  return std::chrono::duration<double, std::milli>(then - start).count();
}

// A virtual X server of the bench's own, on the first free display.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    int fds[2];
    if (pipe(fds) != 0) return;
    const QStringList command{QStringLiteral("/usr/bin/Xvfb"),
                              QStringLiteral("-displayfd"),
                              QString::number(fds[1]),
                              QStringLiteral("-screen"),
                              QStringLiteral("0"),
                              QStringLiteral("1280x800x24"),
                              QStringLiteral("-nolisten"),
                              QStringLiteral("tcp")};
    std::vector<QByteArray> words;
    for (const QString& word : command) words.push_back(word.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const bool started = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (!started) {
      close(fds[0]);
      pid_ = -1;
      return;
    }
    // Xvfb writes its display number once it accepts clients.
    QByteArray number;
    char byte = 0;
    while (read(fds[0], &byte, 1) == 1 && byte != '\n') number += byte;
    close(fds[0]);
    if (!number.isEmpty()) name_ = ":" + number;
  }
  ~VirtualDisplay() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const QByteArray& name() const { return name_; }

 private:
  pid_t pid_ = -1;
  QByteArray name_;
};

// Watches the display's top-level windows: when the first is mapped and when
// any of them was last drawn.
class WindowWatch {
 public:
  explicit WindowWatch(const QByteArray& display) {
    connection_ = xcb_connect(display.constData(), nullptr);
    if (xcb_connection_has_error(connection_)) return;
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection_, &xcb_damage_id);
    if (!damage || !damage->present) return;
    xcb_damage_query_version_reply_t* version = xcb_damage_query_version_reply(
        connection_, xcb_damage_query_version(connection_, 1, 1), nullptr);
    if (!version) return;
    free(version);
    damageEvent_ = damage->first_event + XCB_DAMAGE_NOTIFY;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
    ready_ = true;
  }
  ~WindowWatch() {
    if (connection_) xcb_disconnect(connection_);
  }
  bool ready() const { return ready_; }

  struct Drawn {
    double mappedMs = -1;
    double drawnMs = -1;  // the last drawing before the window stayed still
  };

  // Starts command and follows its windows until they stay still; then ends it.
  Drawn launch(const QStringList& command) {
    Drawn drawn;
    const Clock::time_point start = Clock::now();
    const pid_t pid = bench::spawnQuietly(command);
    if (pid < 0) return drawn;
    std::optional<Clock::time_point> lastDrawn;
    for (;;) {
      const Clock::time_point now = Clock::now();
      if (msSince(start, now) > windowTimeoutMs) break;
      if (lastDrawn && msSince(*lastDrawn, now) >= quietMs) break;
      if (waitpid(pid, nullptr, WNOHANG) == pid) {
        std::fprintf(stderr, "%s ended before its window stayed still\n", qPrintable(command[0]));
        return {};
      }
      pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
      poll(&fd, 1, 5);
      while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const Clock::time_point at = Clock::now();
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
          // Watched from its creation, before it can draw.
          const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
          xcb_damage_create(connection_, xcb_generate_id(connection_), created->window,
                            XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
          xcb_flush(connection_);
        } else if (type == XCB_MAP_NOTIFY) {
          if (drawn.mappedMs < 0) drawn.mappedMs = msSince(start, at);
        } else if (type == damageEvent_ && drawn.mappedMs >= 0) {
          lastDrawn = at;
        }
        free(event);
      }
    }
    if (lastDrawn) drawn.drawnMs = msSince(start, *lastDrawn);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    // What the ended program left is read and dropped before the next one.
    xcb_aux_sync();
    return drawn;
  }

 private:
  void xcb_aux_sync() {
    free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) free(event);
  }

  xcb_connection_t* connection_ = nullptr;
  xcb_window_t root_ = 0;
  uint8_t damageEvent_ = 0;
  bool ready_ = false;
};

void listRow(int rounds) {
  const QStringList ours{bench::program("TESSARO_BENCH_CLI", TESSARO_CLI_BUILD_PATH),
                         QStringLiteral("list"), QStringLiteral("--json")};
  const QStringList theirs =
      QStringList{QStringLiteral("/usr/bin/lsblk")} + tessaro::LsblkJson::arguments();
  // What Qt itself costs a command line that does nothing, the floor of ours.
  const QStringList floor{QStringLiteral(TESSARO_CORE_HELLO_BUILD_PATH)};
  bench::Ratios list, qtFloor;
  // One of each first, unmeasured: each finds the files it reads in the cache.
  for (const QStringList& command : {ours, theirs, floor}) bench::secondsToRun(command);
  for (int round = 0; round < rounds; ++round) {
    double mine = 0, baseline = 0, least = 0;
    if (round % 2 == 0) {
      mine = bench::secondsToRun(ours);
      baseline = bench::secondsToRun(theirs);
      least = bench::secondsToRun(floor);
    } else {
      least = bench::secondsToRun(floor);
      baseline = bench::secondsToRun(theirs);
      mine = bench::secondsToRun(ours);
    }
    list.add(mine, baseline);
    qtFloor.add(least, baseline);
  }
  list.print("tessaro-cli list --json vs lsblk, same columns");
  qtFloor.print("  (a Qt command line doing nothing vs lsblk)");
}

void windowRow(int rounds) {
  VirtualDisplay display;
  if (display.name().isEmpty()) {
    std::printf("window: no virtual X server (Xvfb) started; not measured\n");
    return;
  }
  qputenv("DISPLAY", display.name());
  qputenv("QT_QPA_PLATFORM", "xcb");
  WindowWatch watch(display.name());
  if (!watch.ready()) {
    std::printf("window: the X server reports no drawing (DAMAGE); not measured\n");
    return;
  }
  const QStringList ours{bench::program("TESSARO_BENCH_WINDOW", TESSARO_WINDOW_BUILD_PATH)};
  const QStringList theirs{QStringLiteral(TESSARO_HELLO_BUILD_PATH)};
  bench::Ratios drawn, mapped;
  watch.launch(ours);
  watch.launch(theirs);
  for (int round = 0; round < rounds; ++round) {
    WindowWatch::Drawn mine, baseline;
    if (round % 2 == 0) {
      mine = watch.launch(ours);
      baseline = watch.launch(theirs);
    } else {
      baseline = watch.launch(theirs);
      mine = watch.launch(ours);
    }
    drawn.add(mine.drawnMs, baseline.drawnMs);
    mapped.add(mine.mappedMs, baseline.mappedMs);
  }
  drawn.print("window drawn with the drive list vs Qt hello", 1);
  mapped.print("  (window mapped, list or not, vs Qt hello)", 1);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 21;
  bench::printLoad("before");
  listRow(rounds);
  windowRow(rounds);
  bench::printLoad("after");
  return 0;
}
