// What the window tests do with files and file lists: write and read a file, find an entry
// of a list and click it as a user does.
#pragma once

#include <QFile>
#include <QListWidget>
#include <QtTest/QtTest>

inline void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

inline QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QListWidgetItem* Item(QListWidget* list, const QString& name) {
  const auto found = list->findItems(name, Qt::MatchExactly);
  return found.isEmpty() ? nullptr : found.first();
}

inline void Click(QListWidget* list, const QString& name) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(Item(list, name)).center());
}
