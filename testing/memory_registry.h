// A registry in memory, for tests. Keys hold typed values as the bytes that
// cross the registry calls (text as UTF-8, with its NUL when one is
// stored). Every call is recorded with its arguments and status, so a test
// can prove how a key was opened and that it was closed; a query can be
// made to fail, to throw, or to find the value changed since the last one.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace bt::doubles {

class MemoryRegistry final : public Registry {
 public:
  enum class CallKind { kOpen, kQuery, kClose };

  struct Call {
    CallKind kind = CallKind::kOpen;
    RegKey key = 0;        // the root of an open, the handle of a query or close
    std::string name;      // the sub-key of an open, the value name of a query
    std::uint32_t options = 0;  // open
    std::uint32_t access = 0;   // open
    RegKey opened = 0;          // open: the handle stored, 0 when none
    bool withData = false;      // query: a data buffer was given
    std::uint32_t sizeGiven = 0;  // query: *size on entry
    bool threw = false;           // query: ThrowOnQuery fired
    std::int32_t status = 0;
  };

  // Key paths and value names compare ignoring ASCII letter case. Setting a
  // value creates its key.
  void AddKey(RegKey root, const std::string& subKey);
  void SetValue(RegKey root, const std::string& subKey, const std::string& name,
                std::uint32_t type, std::string bytes);
  void SetText(RegKey root, const std::string& subKey, const std::string& name,
               const std::string& text, bool withNul = true);  // REG_SZ
  void SetDword(RegKey root, const std::string& subKey, const std::string& name,
                std::uint32_t number);

  // Opening subKey fails with status although the key exists.
  void RefuseOpen(RegKey root, const std::string& subKey, std::int32_t status = kErrorAccessDenied);
  // The nth query from now on (1 = the next) fails with status and stores nothing.
  void FailQuery(int nth, std::int32_t status);
  // The nth query from now on throws std::bad_alloc.
  void ThrowOnQuery(int nth);
  // Runs after every query that did not throw, with its number since
  // construction (1 = the first): a test changes a value between two requests.
  void AfterQuery(std::function<void(int)> hook) { afterQuery_ = std::move(hook); }

  const std::vector<Call>& calls() const { return calls_; }
  int CountCalls(CallKind kind) const;
  int OpenKeys() const { return static_cast<int>(open_.size()); }

  std::int32_t RegOpenKeyExA(RegKey root, const std::string& subKey, std::uint32_t options,
                             std::uint32_t access, RegKey* handle) override;
  std::int32_t RegQueryValueExA(RegKey handle, const std::string& valueName,
                                std::uint32_t* reserved, std::uint32_t* type,
                                std::uint8_t* data, std::uint32_t* size) override;
  std::int32_t RegCloseKey(RegKey handle) override;

 private:
  struct Value {
    std::uint32_t type = 0;
    std::string bytes;
  };
  struct Key {
    std::map<std::string, Value> values;  // by lower-case name
    std::int32_t refusal = kErrorSuccess;
  };
  using KeyId = std::pair<RegKey, std::string>;  // root, lower-case path

  static KeyId IdOf(RegKey root, const std::string& subKey);
  std::int32_t QueryStatus(RegKey handle, const std::string& valueName, std::uint32_t* reserved,
                           std::uint32_t* type, std::uint8_t* data, std::uint32_t* size);

  std::map<KeyId, Key> keys_;
  std::map<RegKey, KeyId> open_;
  RegKey nextHandle_ = 0x200;
  std::vector<Call> calls_;
  int queries_ = 0;
  int failCountdown_ = 0;
  std::int32_t failStatus_ = 0;
  int throwCountdown_ = 0;
  std::function<void(int)> afterQuery_;
};

}  // namespace bt::doubles
