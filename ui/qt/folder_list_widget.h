// The classic Windows folder list over the toolkit-neutral FolderListModel:
// the chain of open folders from the drive root down to the current folder,
// each one step further right, then the current folder's subfolders.
//
// A click or the arrow keys only highlight an entry; a double click or Enter
// opens it, and only an opened folder changes the list's path.
#pragma once

#include <functional>
#include <string>

#include <QListWidget>

#include "ui/common/location_lists.h"

namespace bt {

// The item data that holds an entry's level: 0 for the drive root.
constexpr int kFolderIndentRole = Qt::UserRole + 1;

class FolderListWidget final : public QListWidget {
 public:
  FolderListWidget(FileSystem& files, QWidget* parent);

  // Opens a folder by code (FolderListModel::SetPath): true when the path
  // changed. Throws AppError and leaves the list as it was.
  bool SetPath(const std::string& text);
  const std::string& Path() const { return model_.Path(); }
  // Reads the current folder's subfolders again; a folder that cannot be
  // read keeps what is shown.
  void Refresh();

  // Runs after the user opened another folder; the list shows it already.
  void OnUserChange(std::function<void()> changed) { userChanged_ = std::move(changed); }

  // The indentation of one level, in pixels.
  int IndentStep() const { return indentStep_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void Fill();
  void UserOpens(int row);

  FolderListModel model_;
  std::function<void()> userChanged_;
  int indentStep_ = 8;
};

}  // namespace bt
