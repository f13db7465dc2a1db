#include "ui/document.h"

#include <QFileInfo>

namespace krax::ui {

CKRAXManagerDoc::CKRAXManagerDoc(QObject* parent) : QObject(parent) {
  title_ = QStringLiteral("Welcome");
}

void CKRAXManagerDoc::setTitle(const QString& title) {
  title_ = title;
  emit titleChanged(title_);
}

void CKRAXManagerDoc::newDocument() {
  setTitle(QStringLiteral("Welcome"));
}

void CKRAXManagerDoc::openDocument(const QString& path) {
  const QString full = QFileInfo(path).absoluteFilePath();
  recent_.removeAll(full);
  recent_.prepend(full);
  while (recent_.size() > kRecentFileCount) recent_.removeLast();
  if (recentFilesChanged) recentFilesChanged(recent_);
  setTitle(QFileInfo(full).fileName());
}

void CKRAXManagerDoc::setRecentFiles(const QStringList& files) {
  recent_ = files.mid(0, kRecentFileCount);
}

}  // namespace krax::ui
