// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The helper's start marker taken off its output, for every way the output
// can be cut into reads.
#include <QByteArray>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "contract/HelperContract.h"
#include "exec/StartMarkerFilter.h"

using namespace tessaro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const QByteArrayList reads = input.lengthPrefixedPieces();
  const QByteArray marker = QByteArray(HelperContract::startMarker) + '\n';
  const QByteArray whole = reads.join();

  StartMarkerFilter filter(marker);
  QByteArray delivered;
  for (const QByteArray& read : reads) delivered += filter.feed(read);
  delivered += filter.finish();

  const bool startsWithMarker = whole.startsWith(marker);
  FUZZ_CHECK(filter.markerSeen() == startsWithMarker, QString::fromUtf8(whole.toHex()));
  FUZZ_CHECK(delivered == (startsWithMarker ? whole.mid(marker.size()) : whole),
             QString::fromUtf8(whole.toHex()));
  return 0;
}
