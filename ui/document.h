// The window's document. It carries no game data: its title is what the caption shows, and
// opening a ".viv" file only puts the file's name into the caption and the recent-file list.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

namespace krax::ui {

inline constexpr const char* kDocumentFilter = "KRAXMa Files (*.viv)";
inline constexpr int kRecentFileCount = 4;

class CKRAXManagerDoc : public QObject {
  Q_OBJECT

 public:
  explicit CKRAXManagerDoc(QObject* parent = nullptr);

  const QString& title() const { return title_; }
  const QStringList& recentFiles() const { return recent_; }

  // Starts a new, empty document: title "Welcome".
  void newDocument();
  // "Opens" a file: nothing is read; its name becomes the title and heads the recent list.
  void openDocument(const QString& path);
  // The recent list as stored ("Recent File List", four entries), newest first.
  void setRecentFiles(const QStringList& files);
  // Called whenever the recent list changes, so that it can be stored.
  std::function<void(const QStringList&)> recentFilesChanged;

 signals:
  void titleChanged(const QString& title);

 private:
  void setTitle(const QString& title);

  QString title_;
  QStringList recent_;
};

}  // namespace krax::ui
