#include "ui/headless/headless_window.h"

#include <cctype>
#include <utility>

#include "ui/common/design_rules.h"

namespace bt::doubles {

namespace {

const char* KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label: return "label";
    case ControlKind::Frame: return "frame";
    case ControlKind::DriveList: return "drive list";
    case ControlKind::FolderList: return "folder list";
    case ControlKind::CheckBox: return "check box";
    case ControlKind::Button: return "button";
  }
  return "control";
}

// The key that "&" marks in a text ("Sai&r" -> 'r'); '\0' when none ("&&"
// is a literal ampersand).
char AccessKeyOf(const std::string& text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
  }
  return '\0';
}

}  // namespace

struct HeadlessWindow::ListState {
  std::unique_ptr<DriveListModel> drives;
  std::unique_ptr<FolderListModel> folders;
  std::string highlighted;  // a folder list's highlighted entry name
};

HeadlessWindow::HeadlessWindow(HeadlessWindowSystem& system, const WindowDesign& design,
                               FileSystem& files)
    : system_(system), design_(design) {
  if (std::optional<std::string> fault = DesignFault(design)) throw HeadlessMisuse{*fault};
  for (const ControlDesign& row : design.controls) {
    controls_.emplace(row.name, HeadlessControl{row, row.text, true, 0});
    auto lists = std::make_unique<ListState>();
    if (row.kind == ControlKind::DriveList) {
      lists->drives = std::make_unique<DriveListModel>(files);
      lists_.emplace(row.name, std::move(lists));
    } else if (row.kind == ControlKind::FolderList) {
      lists->folders = std::make_unique<FolderListModel>(files);
      lists_.emplace(row.name, std::move(lists));
    }
  }
}

HeadlessWindow::~HeadlessWindow() {
  if (system_.window_ == this) system_.window_ = nullptr;
}

HeadlessControl& HeadlessWindow::Find(const std::string& name, std::optional<ControlKind> kind) {
  return const_cast<HeadlessControl&>(std::as_const(*this).Find(name, kind));
}

const HeadlessControl& HeadlessWindow::Find(const std::string& name,
                                            std::optional<ControlKind> kind) const {
  auto found = controls_.find(name);
  if (found == controls_.end()) throw HeadlessMisuse{"no control named " + name};
  if (kind && found->second.design.kind != *kind) {
    throw HeadlessMisuse{name + " is no " + KindName(*kind)};
  }
  return found->second;
}

HeadlessWindow::ListState& HeadlessWindow::Lists(const std::string& name) {
  return const_cast<ListState&>(std::as_const(*this).Lists(name));
}

const HeadlessWindow::ListState& HeadlessWindow::Lists(const std::string& name) const {
  Find(name, std::nullopt);
  auto found = lists_.find(name);
  if (found == lists_.end()) throw HeadlessMisuse{name + " is no list"};
  return *found->second;
}

void HeadlessWindow::Raise(const std::string& control, ControlEvent event) {
  ++eventCounts_[{control, event}];
  handlers_.Raise(control, event);
}

void HeadlessWindow::RequireUser(const std::string& action) const {
  if (system_.ended()) throw HeadlessMisuse{action + " after the application ended"};
  if (!visible_) throw HeadlessMisuse{action + " on a window that is not shown"};
}

void HeadlessWindow::Show() { visible_ = true; }

void HeadlessWindow::SetHandler(const std::string& control, ControlEvent event,
                                std::function<void()> handler) {
  Find(control, std::nullopt);
  handlers_.Set(control, event, std::move(handler));
}

void HeadlessWindow::SetText(const std::string& control, const std::string& text) {
  HeadlessControl& found = Find(control, std::nullopt);
  if (!HasText(found.design.kind)) throw HeadlessMisuse{control + " has no text"};
  found.text = text;
}

std::string HeadlessWindow::Text(const std::string& control) const {
  const HeadlessControl& found = Find(control, std::nullopt);
  if (!HasText(found.design.kind)) throw HeadlessMisuse{control + " has no text"};
  return found.text;
}

int HeadlessWindow::Value(const std::string& control) const {
  return Find(control, ControlKind::CheckBox).value;
}

void HeadlessWindow::SetEnabled(const std::string& control, bool enabled) {
  Find(control, std::nullopt).enabled = enabled;
}

bool HeadlessWindow::Enabled(const std::string& control) const {
  return Find(control, std::nullopt).enabled;
}

void HeadlessWindow::SetMousePointer(int pointer) {
  if (!IsOfferedPointer(pointer)) {
    throw HeadlessMisuse{"mouse pointer " + std::to_string(pointer) + " is not offered"};
  }
  pointer_ = pointer;
}

void HeadlessWindow::SetDrive(const std::string& control, const std::string& drive) {
  Find(control, ControlKind::DriveList);
  if (Lists(control).drives->SetDrive(drive)) Raise(control, ControlEvent::Change);
}

std::string HeadlessWindow::Drive(const std::string& control) const {
  Find(control, ControlKind::DriveList);
  return Lists(control).drives->Current();
}

void HeadlessWindow::SetPath(const std::string& control, const std::string& path) {
  Find(control, ControlKind::FolderList);
  ListState& list = Lists(control);
  const bool changed = list.folders->SetPath(path);
  list.highlighted = list.folders->Entries()[list.folders->CurrentIndex()].name;
  if (changed) Raise(control, ControlEvent::Change);
}

std::string HeadlessWindow::Path(const std::string& control) const {
  Find(control, ControlKind::FolderList);
  return Lists(control).folders->Path();
}

void HeadlessWindow::ChooseDrive(const std::string& control, const std::string& drive) {
  RequireUser("choosing a drive");
  Find(control, ControlKind::DriveList);
  bool changed = false;
  try {
    changed = Lists(control).drives->SetDrive(drive.size() == 1 ? drive + ":" : drive);
  } catch (const AppError&) {
    throw HeadlessMisuse{"the drive list offers no drive \"" + drive + "\""};
  }
  if (changed) Raise(control, ControlEvent::Change);
}

void HeadlessWindow::RefreshFolders(const std::string& control) {
  Find(control, ControlKind::FolderList);
  try {
    Lists(control).folders->Refresh();
  } catch (const AppError&) {
  }
}

void HeadlessWindow::HighlightFolder(const std::string& control, const std::string& name) {
  RequireUser("highlighting a folder");
  Find(control, ControlKind::FolderList);
  ListState& list = Lists(control);
  for (const FolderListEntry& entry : list.folders->Entries()) {
    if (entry.name == name) {
      list.highlighted = name;
      return;
    }
  }
  throw HeadlessMisuse{"the folder list shows no folder \"" + name + "\""};
}

bool HeadlessWindow::OpenFolder(const std::string& control, const std::string& name) {
  RequireUser("opening a folder");
  Find(control, ControlKind::FolderList);
  ListState& list = Lists(control);
  for (const FolderListEntry& entry : list.folders->Entries()) {
    if (entry.name != name) continue;
    bool changed = false;
    try {
      changed = list.folders->SetPath(entry.path);
    } catch (const AppError&) {
      return false;  // the folder went away since the list was read
    }
    list.highlighted = list.folders->Entries()[list.folders->CurrentIndex()].name;
    if (changed) Raise(control, ControlEvent::Change);
    return true;
  }
  throw HeadlessMisuse{"the folder list shows no folder \"" + name + "\""};
}

void HeadlessWindow::Click(const std::string& control) {
  RequireUser("clicking " + control);
  if (!Find(control, ControlKind::Button).enabled) return;
  Raise(control, ControlEvent::Click);
}

void HeadlessWindow::PressAccessKey(char key) {
  RequireUser("pressing an access key");
  const char wanted = static_cast<char>(std::tolower(static_cast<unsigned char>(key)));
  for (const ControlDesign& row : design_.controls) {
    HeadlessControl& found = controls_.at(row.name);
    if (AccessKeyOf(found.text) != wanted || !found.enabled) continue;
    if (row.kind == ControlKind::Button) {
      Raise(row.name, ControlEvent::Click);
      return;
    }
    if (row.kind == ControlKind::CheckBox) {
      SetChecked(row.name, found.value == 0 ? 1 : 0);
      return;
    }
  }
}

void HeadlessWindow::SetChecked(const std::string& control, int value) {
  RequireUser("ticking " + control);
  HeadlessControl& found = Find(control, ControlKind::CheckBox);
  if (value != 0 && value != 1) throw HeadlessMisuse{"a check box is 0 or 1"};
  if (!found.enabled || found.value == value) return;
  found.value = value;
  Raise(control, ControlEvent::Click);
}

void HeadlessWindow::CloseByUser() {
  RequireUser("closing the window");
  visible_ = false;
  system_.EndApplication(0);
}

const HeadlessControl& HeadlessWindow::control(const std::string& name) const {
  return Find(name, std::nullopt);
}

bool HeadlessWindow::HasHandler(const std::string& control, ControlEvent event) const {
  return handlers_.Has(control, event);
}

std::string HeadlessWindow::HighlightedFolder(const std::string& control) const {
  Find(control, ControlKind::FolderList);
  return Lists(control).highlighted;
}

const DriveListModel& HeadlessWindow::driveList(const std::string& control) const {
  Find(control, ControlKind::DriveList);
  return *Lists(control).drives;
}

const FolderListModel& HeadlessWindow::folderList(const std::string& control) const {
  Find(control, ControlKind::FolderList);
  return *Lists(control).folders;
}

int HeadlessWindow::EventCount(const std::string& control, ControlEvent event) const {
  auto found = eventCounts_.find({control, event});
  return found == eventCounts_.end() ? 0 : found->second;
}

HeadlessWindowSystem::HeadlessWindowSystem(FileSystem& files) : files_(files) {}

std::unique_ptr<Window> HeadlessWindowSystem::CreateMainWindow(const WindowDesign& design) {
  auto window = std::make_unique<HeadlessWindow>(*this, design, files_);
  window_ = window.get();
  ++windowsCreated_;
  return window;
}

void HeadlessWindowSystem::EndApplication(int exitStatus) {
  if (!exitStatus_) exitStatus_ = exitStatus;
  throw ApplicationEnded{exitStatus};
}

MessageAnswer HeadlessWindowSystem::ShowMessage(const std::string& text,
                                                const std::string& title, MessageIcon icon,
                                                MessageButtons buttons) {
  RecordedMessage box{text, title, icon, buttons, MessageAnswer::Ok, -1, false};
  if (window_ != nullptr) {
    box.pointerBehind = window_->MousePointer();
    box.windowVisible = window_->Visible();
  }
  const bool fits =
      !answers_.empty() && (buttons == MessageButtons::YesNo
                                ? answers_.front() != MessageAnswer::Ok
                                : answers_.front() == MessageAnswer::Ok);
  if (!fits) {
    messages_.push_back(box);
    throw UnexpectedMessageBox{text, title};
  }
  box.answer = answers_.front();
  answers_.pop_front();
  messages_.push_back(box);
  if (observer_) {
    const RecordedMessage shown = messages_.back();
    observer_(shown);
  }
  return box.answer;
}

}  // namespace bt::doubles
