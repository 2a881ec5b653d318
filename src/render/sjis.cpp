#include "render/sjis.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace dxfdin::render {

QString FromSjis(const std::string& bytes) {
  QStringDecoder decoder("Shift_JIS");
  if (!decoder.isValid()) return QString::fromStdString(bytes);
  return decoder.decode(QByteArray::fromStdString(bytes));
}

std::string ToSjis(const QString& text) {
  QStringEncoder encoder("Shift_JIS");
  if (!encoder.isValid()) return text.toStdString();
  QByteArray bytes = encoder.encode(text);
  return bytes.toStdString();
}

}  // namespace dxfdin::render
