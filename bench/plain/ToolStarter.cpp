// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The plainest helper: a C++ program that loads what the helper loads (the
// C++ runtime linked in, libmount and libudev) and only starts a tool and waits for it,
// with no guard, no events and no lines of its own. What a check through a
// helper cannot go below.
//
//   tool-starter PROGRAM [ARG...]   exits with PROGRAM's status
#include <libmount/libmount.h>
#include <libudev.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  // Loaded as the helper loads them, not used.
  const void* volatile loaded[] = {reinterpret_cast<const void*>(&mnt_new_table),
                                   reinterpret_cast<const void*>(&udev_new)};
  (void)loaded;
  const std::string program = argv[1];
  const pid_t child = fork();
  if (child < 0) return 1;
  if (child == 0) {
    execvp(program.c_str(), argv + 1);
    _exit(127);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) return 1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
