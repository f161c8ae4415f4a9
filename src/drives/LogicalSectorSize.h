// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QJsonObject>
#include <QtGlobal>
#include <optional>

namespace tessaro {

// The logical sector sizes a real drive has: a power of two from 512 to
// 65536 bytes. Anything else is a broken report, and no size is computed
// from it.
bool isValidLogicalSectorSize(qint64 bytes);

// lsblk's "log-sec" of one device (a number, or a numeric text from older
// util-linux): 512 when lsblk left it out, none when it is not a valid size.
std::optional<int> lsblkLogicalSectorSize(const QJsonObject& device);

}  // namespace tessaro
