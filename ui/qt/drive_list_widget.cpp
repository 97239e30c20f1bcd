#include "ui/qt/drive_list_widget.h"

#include <QApplication>
#include <QSignalBlocker>
#include <QStyle>

namespace bt {

DriveListWidget::DriveListWidget(FileSystem& files, QWidget* parent)
    : QComboBox(parent), model_(files) {
  setMaxVisibleItems(8);
  Fill();
  // activated comes from the user alone; settings by code go through SetDrive.
  connect(this, &QComboBox::activated, this, [this](int index) { UserChose(index); });
}

bool DriveListWidget::SetDrive(const std::string& text) {
  const bool changed = model_.SetDrive(text);
  Fill();
  return changed;
}

void DriveListWidget::showPopup() {
  Fill();
  QComboBox::showPopup();
}

void DriveListWidget::Fill() {
  const QSignalBlocker blocker(this);
  std::vector<DriveListEntry> entries = model_.Entries();
  // Rebuilt only when the drives differ: this also runs inside the list's
  // own activation, when the change handler sets the drive back.
  if (entries != entries_) {
    entries_ = std::move(entries);
    clear();
    for (const DriveListEntry& entry : entries_) {
      const bool floppy = IsFloppyDrive(entry.letter);
      addItem(style()->standardIcon(floppy ? QStyle::SP_DriveFDIcon : QStyle::SP_DriveHDIcon),
              QString::fromStdString(entry.text));
    }
  }
  setCurrentIndex(model_.CurrentIndex());
}

void DriveListWidget::UserChose(int index) {
  if (index < 0 || index >= static_cast<int>(entries_.size())) return;
  bool changed = false;
  try {
    changed = model_.SetDrive(entries_[index].text);
  } catch (const AppError&) {
    // The drive went away while the list was open: show the list as it is now.
    QApplication::beep();
    Fill();
    return;
  }
  if (changed && userChanged_) userChanged_();
}

}  // namespace bt
