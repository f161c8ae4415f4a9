#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace tessaro {

// Decodes one block of a child's output on its own. A block that is not valid
// UTF-8 is dropped whole (nullopt); an empty block decodes to nullopt as well,
// since neither is ever delivered to a listener.
std::optional<QString> decodeUtf8Chunk(const QByteArray& bytes);

}  // namespace tessaro
