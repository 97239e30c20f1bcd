// The drive list drawn as the classic drop-down of drives, over the
// toolkit-neutral DriveListModel, which holds its value and its rules.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QComboBox>

#include "ui/common/location_lists.h"

namespace bt {

class DriveListWidget final : public QComboBox {
 public:
  DriveListWidget(FileSystem& files, QWidget* parent);

  // Chooses a drive by code (DriveListModel::SetDrive): true when the drive
  // changed. Throws AppError and leaves the list as it was.
  bool SetDrive(const std::string& text);
  const std::string& Drive() const { return model_.Current(); }

  // Runs after the user chose another drive; the list shows it already.
  // Choosing the drive it shows runs nothing.
  void OnUserChange(std::function<void()> changed) { userChanged_ = std::move(changed); }

 protected:
  // The drives are read again each time the list drops down, so that a
  // drive mapped since start-up is offered.
  void showPopup() override;

 private:
  void Fill();
  void UserChose(int index);

  DriveListModel model_;
  std::vector<DriveListEntry> entries_;
  std::function<void()> userChanged_;
};

}  // namespace bt
