// The drawings' texts and the settings file hold Shift-JIS bytes; the window shows Unicode.
#pragma once

#include <QString>
#include <string>

namespace dxfdin::render {

QString FromSjis(const std::string& bytes);
std::string ToSjis(const QString& text);

}  // namespace dxfdin::render
