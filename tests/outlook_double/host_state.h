#pragma once
// What the double's objects share: the record of every call made into them and the
// failures a test has asked for.
#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/outlook_double/variant.h"

namespace outlook_double {

class DoubleObject;

// How an injected failure answers.
struct Failure {
    // DISP_E_EXCEPTION with EXCEPINFO (description, source "Outlook", scode), which a
    // late-bound caller reports as an exception raised by Outlook.
    static Failure OutlookException(const std::wstring& description, HRESULT scode = E_FAIL);
    // Any other failing HRESULT, with no EXCEPINFO.
    static Failure Hresult(HRESULT hr);
    // S_OK with an empty object result (VT_DISPATCH NULL), and the member does nothing.
    static Failure Nothing();

    HRESULT hr = E_FAIL;
    std::wstring description;
    HRESULT scode = E_FAIL;
};

enum class FailWhen { Once, Always };

// Which calls a failure applies to. object NULL means every object of className.
struct MemberSelector {
    const void* object = nullptr;
    std::wstring className;
    DISPID dispid = 0;
    WORD kinds = 0;  // DISPATCH_* flags; 0 matches every kind
};

struct CallRecord {
    const void* object = nullptr;  // the DoubleObject, for identity only: it may be gone
    std::wstring className;        // "Application", "Attachment", ...
    DISPID dispid = 0;
    WORD kind = 0;                 // the one DISPATCH_* kind the call was served as
    std::vector<Variant> arguments;  // in call order (first argument first), by value
    HRESULT result = S_OK;

    bool IsOn(const DoubleObject* target) const { return object == target; }
};

// One event the double raised, with what its sinks answered (S_OK, or the first failure).
struct EventRecord {
    std::wstring source;  // "Application" or "MailItem"
    DISPID dispid = 0;
    size_t sinks = 0;     // sinks advised when it was raised
    HRESULT result = S_OK;
};

class HostState {
public:
    void InjectFailure(const MemberSelector& member, const Failure& failure, FailWhen when);
    void ClearFailures() { failures_.clear(); }
    // The failure that applies to this call, if any; a one-time failure is used up.
    std::optional<Failure> TakeFailure(const void* object, const std::wstring& className,
                                       DISPID dispid, WORD kind);

    size_t BeginCall(CallRecord record);
    void EndCall(size_t index, HRESULT result) {
        if (index < calls_.size()) calls_[index].result = result;  // a test may have cleared them
    }
    const std::vector<CallRecord>& Calls() const { return calls_; }
    std::vector<CallRecord> CallsTo(const std::wstring& className, DISPID dispid) const;
    void ClearCalls() { calls_.clear(); }

    void RecordEvent(EventRecord event) { events_.push_back(std::move(event)); }
    const std::vector<EventRecord>& Events() const { return events_; }

private:
    struct Rule {
        MemberSelector member;
        Failure failure;
        FailWhen when;
    };
    std::vector<Rule> failures_;
    std::vector<CallRecord> calls_;
    std::vector<EventRecord> events_;
};

}  // namespace outlook_double
