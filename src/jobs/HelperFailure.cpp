// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "jobs/HelperFailure.h"

#include <QCoreApplication>

#include "contract/HelperContract.h"

namespace tessaro {

namespace {

QString changedWhile(HelperWork work) {
  switch (work) {
    case HelperWork::format:
      return QCoreApplication::translate("HelperFailure",
                                         "the drive changed while it was being formatted");
    case HelperWork::check:
      return QCoreApplication::translate("HelperFailure",
                                         "the drive changed while it was being checked");
    case HelperWork::probe:
      return QCoreApplication::translate("HelperFailure",
                                         "the drive changed while it was being tested");
    case HelperWork::read:
      break;
  }
  return QCoreApplication::translate("HelperFailure", "the drive changed while it was being read");
}

}  // namespace

QString helperFailureReason(int exitStatus, HelperWork work) {
  namespace contract = HelperContract;
  switch (exitStatus) {
    case contract::usage:
      return QCoreApplication::translate("HelperFailure", "the helper did not accept the request");
    case contract::refusedDevice:
      return QCoreApplication::translate("HelperFailure",
                                         "the drive is not one Tessaro may change");
    case contract::refusedRequest:
      return QCoreApplication::translate(
          "HelperFailure",
          "the volume name, cluster size or partition size cannot be used on this drive");
    case contract::verificationFailed:
      return QCoreApplication::translate("HelperFailure", "the drive does not hold what was asked");
    case contract::deviceChanged:
      return changedWhile(work);
    case contract::deviceBusy:
      return QCoreApplication::translate("HelperFailure", "the drive is in use by another program");
    case contract::toolMissing:
      return QCoreApplication::translate("HelperFailure", "a program it needs is not installed");
    case contract::toolFailed:
      return QCoreApplication::translate("HelperFailure", "a tool failed");
    case contract::cancelled:
      return QCoreApplication::translate("HelperFailure", "it was cancelled");
    case contract::counterfeit:
      return QCoreApplication::translate("HelperFailure", "the drive holds less than it claims");
    case contract::driveStopped:
      return QCoreApplication::translate("HelperFailure", "the drive stopped responding");
    case contract::damaged:
      return QCoreApplication::translate("HelperFailure", "the drive loses data in places");
    case contract::driveFailed:
      return QCoreApplication::translate("HelperFailure",
                                         "the drive refused writes or stopped storing them");
    default:
      // A format ends with the status of the tool that failed.
      if (work == HelperWork::format && exitStatus > 0 && exitStatus < 64)
        return QCoreApplication::translate("HelperFailure", "a tool failed");
      return {};
  }
}

}  // namespace tessaro
