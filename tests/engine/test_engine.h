#pragma once
// Test-side helper for the development engine: place a built engine where the code under
// test looks for it, tell it how to behave, and read back the calls it received.
#include <string>
#include <vector>

namespace test_engine {

enum class Variant {
    Working,
    NoHandshake,     // exports its entries, but no "Handshake"
    NullTable,       // Handshake returns null
    NullOptimize,    // table entry 0 is null
    NullIsSupported, // table entry 1 is null
};

enum class OptimizeAction {
    WriteOutput,      // copies the source to the proposed output path, returns 0
    Fail,             // writes nothing, returns failureResult
    RewriteExtension, // changes the output path's extension in the buffer, then writes there, returns 0
    Overfill,         // fills the whole buffer without a NUL, writes nothing, returns 0 (a faulty engine)
};

struct Behaviour {
    // Extensions (dot included, any case) that IsSupported accepts; L"*" accepts every name.
    std::vector<std::wstring> supportedExtensions{L".jpg", L".jpeg", L".png", L".gif", L".bmp", L".tif", L".tiff"};
    OptimizeAction optimize = OptimizeAction::WriteOutput;
    int failureResult = 1;
    std::wstring rewriteExtension = L".png";
    // Milliseconds WriteOutput and RewriteExtension wait before they write, as an engine
    // that decodes and resizes takes its time.
    int waitBeforeWriteMs = 0;
};

struct Call {
    std::wstring entry;          // L"Optimize" or L"IsSupported"
    std::wstring path;           // Optimize: the source; IsSupported: the name asked about
    std::wstring proposedOutput; // Optimize: the buffer's content on entry
    int capacity = 0;            // Optimize only
    int profile = 0;             // Optimize only
};

// The built engine of that variant, found from the running test program's folder
// (the build tree's bin folder).
std::wstring BuiltEnginePath(Variant variant);
// Copies that engine into folder as Plenzar.dll.
bool PlaceEngine(Variant variant, const std::wstring& folder);

// The engine reads its control file and writes its record in its own folder, or in the
// folder named by the environment variable PLENZAR_TEST_ENGINE_DIR when that is set.
std::wstring ControlFilePath(const std::wstring& folder);
std::wstring CallRecordPath(const std::wstring& folder);
bool SetBehaviour(const std::wstring& folder, const Behaviour& behaviour);
std::vector<Call> ReadCalls(const std::wstring& folder);
// Deletes the control file and the record: back to the default behaviour, no calls.
void Reset(const std::wstring& folder);

// A fresh folder under the temporary folder, deleted with all it holds on destruction.
class ScopedTempFolder {
public:
    ScopedTempFolder();
    ~ScopedTempFolder();
    ScopedTempFolder(const ScopedTempFolder&) = delete;
    ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    // Creates a sub-folder (and its parents) and returns its path.
    std::wstring MakeSubFolder(const std::wstring& relative) const;

private:
    std::wstring m_path;
};

} // namespace test_engine
