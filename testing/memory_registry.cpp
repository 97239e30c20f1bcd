#include "testing/memory_registry.h"

#include <algorithm>
#include <new>

#include "platform/registry_query.h"

namespace bt::doubles {
namespace {

std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Counts down a planned fault; true on the call it was planned for.
bool Due(int& countdown) {
  if (countdown == 0) return false;
  return --countdown == 0;
}

}  // namespace

MemoryRegistry::KeyId MemoryRegistry::IdOf(RegKey root, const std::string& subKey) {
  return {root, AsciiLower(subKey)};
}

void MemoryRegistry::AddKey(RegKey root, const std::string& subKey) { keys_[IdOf(root, subKey)]; }

void MemoryRegistry::SetValue(RegKey root, const std::string& subKey, const std::string& name,
                              std::uint32_t type, std::string bytes) {
  keys_[IdOf(root, subKey)].values[AsciiLower(name)] = Value{type, std::move(bytes)};
}

void MemoryRegistry::SetText(RegKey root, const std::string& subKey, const std::string& name,
                             const std::string& text, bool withNul) {
  SetValue(root, subKey, name, kRegSz, withNul ? text + '\0' : text);
}

void MemoryRegistry::SetDword(RegKey root, const std::string& subKey, const std::string& name,
                              std::uint32_t number) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(number >> (8 * i));
  SetValue(root, subKey, name, kRegDword, std::move(bytes));
}

void MemoryRegistry::RefuseOpen(RegKey root, const std::string& subKey, std::int32_t status) {
  keys_[IdOf(root, subKey)].refusal = status;
}

void MemoryRegistry::FailQuery(int nth, std::int32_t status) {
  failCountdown_ = nth;
  failStatus_ = status;
}

void MemoryRegistry::ThrowOnQuery(int nth) { throwCountdown_ = nth; }

int MemoryRegistry::CountCalls(CallKind kind) const {
  return static_cast<int>(
      std::count_if(calls_.begin(), calls_.end(), [kind](const Call& c) { return c.kind == kind; }));
}

std::int32_t MemoryRegistry::RegOpenKeyExA(RegKey root, const std::string& subKey,
                                           std::uint32_t options, std::uint32_t access,
                                           RegKey* handle) {
  Call call;
  call.kind = CallKind::kOpen;
  call.key = root;
  call.name = subKey;
  call.options = options;
  call.access = access;
  const auto key = keys_.find(IdOf(root, subKey));
  if (handle == nullptr) {
    call.status = kErrorInvalidParameter;
  } else if (key == keys_.end()) {
    call.status = kErrorFileNotFound;
  } else if (key->second.refusal != kErrorSuccess) {
    call.status = key->second.refusal;
  } else {
    call.opened = nextHandle_;
    nextHandle_ += 4;
    open_[call.opened] = key->first;
    *handle = call.opened;
  }
  calls_.push_back(call);
  return call.status;
}

std::int32_t MemoryRegistry::RegQueryValueExA(RegKey handle, const std::string& valueName,
                                              std::uint32_t* reserved, std::uint32_t* type,
                                              std::uint8_t* data, std::uint32_t* size) {
  Call call;
  call.kind = CallKind::kQuery;
  call.key = handle;
  call.name = valueName;
  call.withData = data != nullptr;
  call.sizeGiven = size != nullptr ? *size : 0;
  const int number = ++queries_;
  if (Due(throwCountdown_)) {
    call.threw = true;
    calls_.push_back(call);
    throw std::bad_alloc();
  }
  call.status = Due(failCountdown_) ? failStatus_
                                    : QueryStatus(handle, valueName, reserved, type, data, size);
  calls_.push_back(call);
  if (afterQuery_) afterQuery_(number);
  return call.status;
}

std::int32_t MemoryRegistry::QueryStatus(RegKey handle, const std::string& valueName,
                                         std::uint32_t* reserved, std::uint32_t* type,
                                         std::uint8_t* data, std::uint32_t* size) {
  const auto open = open_.find(handle);
  if (open == open_.end()) return kErrorInvalidHandle;
  if (QueryArgumentsInvalid(reserved, data, size)) return kErrorInvalidParameter;
  const Key& key = keys_.at(open->second);
  const auto value = key.values.find(AsciiLower(valueName));
  if (value == key.values.end()) return kErrorFileNotFound;
  return AnswerQuery(value->second.type, value->second.bytes, type, data, size);
}

std::int32_t MemoryRegistry::RegCloseKey(RegKey handle) {
  Call call;
  call.kind = CallKind::kClose;
  call.key = handle;
  call.status = open_.erase(handle) == 1 ? kErrorSuccess : kErrorInvalidHandle;
  calls_.push_back(call);
  return call.status;
}

}  // namespace bt::doubles
