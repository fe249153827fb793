#include "tests/outlook_double/host_state.h"

#include <utility>

namespace outlook_double {

Failure Failure::OutlookException(const std::wstring& description, HRESULT scode) {
    Failure f;
    f.hr = DISP_E_EXCEPTION;
    f.description = description;
    f.scode = scode;
    return f;
}

Failure Failure::Hresult(HRESULT hr) {
    Failure f;
    f.hr = hr;
    return f;
}

Failure Failure::Nothing() {
    Failure f;
    f.hr = S_OK;
    return f;
}

void HostState::InjectFailure(const MemberSelector& member, const Failure& failure,
                              FailWhen when) {
    failures_.push_back({member, failure, when});
}

std::optional<Failure> HostState::TakeFailure(const void* object, const std::wstring& className,
                                              DISPID dispid, WORD kind) {
    for (auto rule = failures_.begin(); rule != failures_.end(); ++rule) {
        const MemberSelector& m = rule->member;
        if (m.dispid != dispid) continue;
        if (m.object ? m.object != object : m.className != className) continue;
        if (m.kinds != 0 && (m.kinds & kind) == 0) continue;
        Failure failure = rule->failure;
        if (rule->when == FailWhen::Once) failures_.erase(rule);
        return failure;
    }
    return std::nullopt;
}

size_t HostState::BeginCall(CallRecord record) {
    calls_.push_back(std::move(record));
    return calls_.size() - 1;
}

std::vector<CallRecord> HostState::CallsTo(const std::wstring& className, DISPID dispid) const {
    std::vector<CallRecord> found;
    for (const CallRecord& call : calls_) {
        if (call.className == className && call.dispid == dispid) found.push_back(call);
    }
    return found;
}

}  // namespace outlook_double
