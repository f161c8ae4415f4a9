#include "exec/Utf8Chunk.h"

#include <QStringDecoder>

namespace tessaro {

std::optional<QString> decodeUtf8Chunk(const QByteArray& bytes) {
  if (bytes.isEmpty()) return std::nullopt;
  QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  QString text = decoder.decode(bytes);
  if (decoder.hasError() || text.isEmpty()) return std::nullopt;
  return text;
}

}  // namespace tessaro
