// The engine binding runs inside engine_probe.dll, copied into a folder of each test's
// own, so the test decides what lies beside the code, beside the program and in the
// current folder.
#include "common/tests/engine_probe.h"
#include "tests/engine/test_engine.h"
#include "tests/support/program_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

namespace {

using test_engine::Variant;

// One loaded copy of the probe DLL.
class Probe {
public:
    explicit Probe(const std::wstring& folder)
    {
        std::wstring path = folder + L"\\engine_probe.dll";
        if (!CopyFileW(testsupport::BesideProgram(L"engine_probe\\engine_probe.dll").c_str(), path.c_str(), FALSE))
            return;
        m_module = LoadLibraryW(path.c_str());
        if (!m_module)
            return;
        Bind(m_load, "ProbeLoadEngine");
        Bind(m_unload, "ProbeUnloadEngine");
        Bind(m_engineModule, "ProbeEngineModule");
        Bind(m_functions, "ProbeEngineFunctions");
        Bind(m_newEngine, "ProbeNewEngine");
        Bind(m_deleteEngine, "ProbeDeleteEngine");
        Bind(m_optimize, "ProbeEngineOptimize");
        Bind(m_isSupported, "ProbeEngineIsSupported");
    }
    ~Probe()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    bool Ready() const { return m_module && m_load && m_unload && m_engineModule && m_functions && m_isSupported; }
    bool LoadEngine() const { return m_load() != FALSE; }
    void UnloadEngine() const { m_unload(); }
    HMODULE EngineModule() const { return m_engineModule(); }
    EngineFunctionTable Functions() const { return m_functions(); }

    // A CEngine inside the probe, as the add-in keeps one.
    class Engine {
    public:
        explicit Engine(const Probe& probe) : m_probe(probe), m_engine(probe.m_newEngine()) {}
        ~Engine() { m_probe.m_deleteEngine(m_engine); }
        Engine(const Engine&) = delete;
        Engine& operator=(const Engine&) = delete;
        int Optimize(const wchar_t* source, wchar_t* destination, std::int32_t capacity, PlenzarProfile profile)
        {
            return m_probe.m_optimize(m_engine, source, destination, capacity, profile);
        }
        bool IsSupported(const wchar_t* name) { return m_probe.m_isSupported(m_engine, name) != FALSE; }

    private:
        const Probe& m_probe;
        CEngine* m_engine;
    };

private:
    template <typename Function>
    void Bind(Function& function, const char* name)
    {
        function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(m_module, name)));
    }

    HMODULE m_module = nullptr;
    ProbeLoadEngineFunction m_load = nullptr;
    ProbeUnloadEngineFunction m_unload = nullptr;
    ProbeEngineModuleFunction m_engineModule = nullptr;
    ProbeEngineFunctionsFunction m_functions = nullptr;
    ProbeNewEngineFunction m_newEngine = nullptr;
    ProbeDeleteEngineFunction m_deleteEngine = nullptr;
    ProbeEngineOptimizeFunction m_optimize = nullptr;
    ProbeEngineIsSupportedFunction m_isSupported = nullptr;
};

bool IsLoaded(const std::wstring& path)
{
    return GetModuleHandleW(path.c_str()) != nullptr;
}

std::wstring ModulePath(HMODULE module)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

class EngineBinding : public ::testing::Test {
protected:
    EngineBinding() : hostFolder(temp.MakeSubFolder(L"host")), enginePath(hostFolder + L"\\Plenzar.dll") {}

    test_engine::ScopedTempFolder temp;
    const std::wstring hostFolder;
    const std::wstring enginePath;
};

TEST_F(EngineBinding, TheEngineIsLookedForBesideTheCodeNotInTheCurrentFolderNorBesideTheProgram)
{
    // A working engine beside the test program (the host) and in the current folder.
    std::wstring besideProgram = test_engine::BuiltEnginePath(Variant::Working);
    ASSERT_NE(GetFileAttributesW(besideProgram.c_str()), INVALID_FILE_ATTRIBUTES);
    std::wstring currentFolder = temp.MakeSubFolder(L"current");
    ASSERT_TRUE(test_engine::PlaceEngine(Variant::Working, currentFolder));
    wchar_t previousFolder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previousFolder);
    ASSERT_TRUE(SetCurrentDirectoryW(currentFolder.c_str()));

    Probe probe(hostFolder);
    ASSERT_TRUE(probe.Ready());
    bool loadedWithoutEngineBeside = probe.LoadEngine();
    HMODULE moduleWithoutEngineBeside = probe.EngineModule();

    ASSERT_TRUE(test_engine::PlaceEngine(Variant::Working, hostFolder));
    bool loadedWithEngineBeside = probe.LoadEngine(); // nothing was loaded: this call loads
    SetCurrentDirectoryW(previousFolder);

    EXPECT_FALSE(loadedWithoutEngineBeside);
    EXPECT_EQ(moduleWithoutEngineBeside, nullptr);
    EXPECT_TRUE(loadedWithEngineBeside);
    EXPECT_EQ(lstrcmpiW(ModulePath(probe.EngineModule()).c_str(), enginePath.c_str()), 0);
    EXPECT_FALSE(IsLoaded(besideProgram));
    EXPECT_FALSE(IsLoaded(currentFolder + L"\\Plenzar.dll"));
    probe.UnloadEngine();
}

TEST_F(EngineBinding, ASecondLoadDoesNotLoadAgainAndUnloadThenLoadDoes)
{
    ASSERT_TRUE(test_engine::PlaceEngine(Variant::Working, hostFolder));
    Probe probe(hostFolder);
    ASSERT_TRUE(probe.Ready());
    ASSERT_TRUE(probe.LoadEngine());
    EXPECT_TRUE(probe.LoadEngine());
    EngineFunctionTable functions = probe.Functions();
    EXPECT_NE(functions.Optimize, nullptr);
    EXPECT_NE(functions.IsSupported, nullptr);

    // A single FreeLibrary unloads it: the second call did not take another reference.
    probe.UnloadEngine();
    EXPECT_FALSE(IsLoaded(enginePath));
    EXPECT_EQ(probe.EngineModule(), nullptr);
    EXPECT_EQ(probe.Functions().Optimize, nullptr);
    EXPECT_EQ(probe.Functions().IsSupported, nullptr);

    EXPECT_TRUE(probe.LoadEngine());
    EXPECT_TRUE(IsLoaded(enginePath));
    EXPECT_EQ(probe.EngineModule(), GetModuleHandleW(enginePath.c_str()));
    probe.UnloadEngine();
    probe.UnloadEngine(); // nothing loaded: harmless
    EXPECT_EQ(probe.EngineModule(), nullptr);
}

TEST_F(EngineBinding, FirstLoadsOnSeveralThreadsAtOnceLoadTheLibraryOnce)
{
    ASSERT_TRUE(test_engine::PlaceEngine(Variant::Working, hostFolder));
    Probe probe(hostFolder);
    ASSERT_TRUE(probe.Ready());
    std::atomic<bool> go{false};
    std::atomic<int> loaded{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&] {
            while (!go)
                std::this_thread::yield();
            if (probe.LoadEngine())
                ++loaded;
        });
    }
    go = true;
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(loaded, 8);
    probe.UnloadEngine();
    EXPECT_FALSE(IsLoaded(enginePath));
}

struct BrokenEngine {
    Variant variant;
    const char* name;
    bool optimizeSet;
};

void PrintTo(const BrokenEngine& engine, std::ostream* out)
{
    *out << engine.name;
}

class BrokenEngines : public EngineBinding, public ::testing::WithParamInterface<BrokenEngine> {};

TEST_P(BrokenEngines, FailToLoadEveryTimeAndStayLoaded)
{
    ASSERT_TRUE(test_engine::PlaceEngine(GetParam().variant, hostFolder));
    Probe probe(hostFolder);
    ASSERT_TRUE(probe.Ready());
    EXPECT_FALSE(probe.LoadEngine());
    EXPECT_EQ(probe.EngineModule(), GetModuleHandleW(enginePath.c_str()));
    EXPECT_NE(probe.EngineModule(), nullptr);
    EXPECT_EQ(probe.Functions().Optimize != nullptr, GetParam().optimizeSet);
    EXPECT_EQ(probe.Functions().IsSupported, nullptr);

    EXPECT_FALSE(probe.LoadEngine());
    EXPECT_NE(probe.EngineModule(), nullptr);
    EXPECT_EQ(probe.Functions().IsSupported, nullptr);

    // The add-in's engine object refuses everything.
    {
        Probe::Engine engine(probe);
        EXPECT_FALSE(engine.IsSupported(L"picture.jpg"));
    }
    probe.UnloadEngine(); // one reference only: the later calls did not load again
    EXPECT_FALSE(IsLoaded(enginePath));
}

INSTANTIATE_TEST_SUITE_P(
    Variants, BrokenEngines,
    ::testing::Values(BrokenEngine{Variant::NoHandshake, "NoHandshake", false},
                      BrokenEngine{Variant::NullTable, "NullTable", false},
                      BrokenEngine{Variant::NullOptimize, "NullOptimize", false},
                      BrokenEngine{Variant::NullIsSupported, "NullIsSupported", true}),
    [](const ::testing::TestParamInfo<BrokenEngine>& info) { return std::string(info.param.name); });

TEST_F(EngineBinding, AMissingOrUnloadableFileFailsAndIsTriedAgainLater)
{
    Probe probe(hostFolder);
    ASSERT_TRUE(probe.Ready());
    EXPECT_FALSE(probe.LoadEngine());
    EXPECT_EQ(probe.EngineModule(), nullptr);

    HANDLE garbage = CreateFileW(enginePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(garbage, "not a library", 13, &written, nullptr);
    CloseHandle(garbage);
    EXPECT_FALSE(probe.LoadEngine());
    EXPECT_EQ(probe.EngineModule(), nullptr);

    ASSERT_TRUE(test_engine::PlaceEngine(Variant::Working, hostFolder));
    EXPECT_TRUE(probe.LoadEngine());
    probe.UnloadEngine();
}

class EngineObject : public EngineBinding {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test_engine::PlaceEngine(Variant::Working, hostFolder));
        source = temp.Path() + L"\\source.jpg";
        HANDLE file = CreateFileW(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, "picture", 7, &written, nullptr);
        CloseHandle(file);
    }

    std::wstring source;
};

TEST_F(EngineObject, WithoutAnEngineRefusesEveryNameAndEveryFile)
{
    DeleteFileW(enginePath.c_str());
    Probe probe(hostFolder);
    ASSERT_TRUE(probe.Ready());
    Probe::Engine engine(probe);
    EXPECT_EQ(probe.EngineModule(), nullptr);
    for (const wchar_t* name : {L"picture.jpg", L"C:\\photos\\a.png", L"", L"x"})
        EXPECT_FALSE(engine.IsSupported(name));
    wchar_t output[520] = L"C:\\out.jpg";
    EXPECT_EQ(engine.Optimize(source.c_str(), output, 520, PROFILE_SMALL), 1);
}

TEST_F(EngineObject, PassesItsArgumentsThroughUnchangedAndAnswersWhatTheEngineAnswers)
{
    test_engine::Behaviour behaviour;
    behaviour.supportedExtensions = {L".jpg"};
    ASSERT_TRUE(test_engine::SetBehaviour(hostFolder, behaviour));
    Probe probe(hostFolder);
    ASSERT_TRUE(probe.Ready());
    Probe::Engine engine(probe);

    EXPECT_TRUE(engine.IsSupported(L"Holiday.JPG"));
    EXPECT_FALSE(engine.IsSupported(L"notes.txt"));
    std::wstring output = temp.Path() + L"\\out.jpg";
    wchar_t buffer[520] = {};
    wcscpy(buffer, output.c_str());
    EXPECT_EQ(engine.Optimize(source.c_str(), buffer, 520, PROFILE_LARGE), 0);
    EXPECT_EQ(buffer, output);
    EXPECT_NE(GetFileAttributesW(output.c_str()), INVALID_FILE_ATTRIBUTES);

    auto calls = test_engine::ReadCalls(hostFolder);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].entry, L"IsSupported");
    EXPECT_EQ(calls[0].path, L"Holiday.JPG");
    EXPECT_EQ(calls[1].path, L"notes.txt");
    EXPECT_EQ(calls[2].entry, L"Optimize");
    EXPECT_EQ(calls[2].path, source);
    EXPECT_EQ(calls[2].proposedOutput, output);
    EXPECT_EQ(calls[2].capacity, 520);
    EXPECT_EQ(calls[2].profile, PROFILE_LARGE);

    behaviour.optimize = test_engine::OptimizeAction::Fail;
    behaviour.failureResult = 7;
    ASSERT_TRUE(test_engine::SetBehaviour(hostFolder, behaviour));
    EXPECT_EQ(engine.Optimize(source.c_str(), buffer, 520, PROFILE_TINY), 7);

    // The engine may rewrite the proposed path; the caller reads it back from the buffer.
    behaviour.optimize = test_engine::OptimizeAction::RewriteExtension;
    behaviour.rewriteExtension = L".png";
    ASSERT_TRUE(test_engine::SetBehaviour(hostFolder, behaviour));
    EXPECT_EQ(engine.Optimize(source.c_str(), buffer, 520, PROFILE_FULL), 0);
    EXPECT_EQ(buffer, temp.Path() + L"\\out.png");
    EXPECT_NE(GetFileAttributesW(buffer), INVALID_FILE_ATTRIBUTES);
}

TEST_F(EngineObject, NeverLetsTheOutputPathRunPastTheBuffer)
{
    test_engine::Behaviour behaviour;
    behaviour.optimize = test_engine::OptimizeAction::Overfill;
    ASSERT_TRUE(test_engine::SetBehaviour(hostFolder, behaviour));
    Probe probe(hostFolder);
    ASSERT_TRUE(probe.Ready());
    Probe::Engine engine(probe);

    wchar_t buffer[20] = L"C:\\out.jpg";
    EXPECT_EQ(engine.Optimize(source.c_str(), buffer, 20, PROFILE_SMALL), 1);
    EXPECT_NE(wmemchr(buffer, L'\0', 20), nullptr);

    // Bad arguments never reach the engine.
    EXPECT_EQ(engine.Optimize(nullptr, buffer, 20, PROFILE_SMALL), 1);
    EXPECT_EQ(engine.Optimize(source.c_str(), nullptr, 20, PROFILE_SMALL), 1);
    EXPECT_EQ(engine.Optimize(source.c_str(), buffer, 0, PROFILE_SMALL), 1);
    EXPECT_EQ(engine.Optimize(source.c_str(), buffer, -5, PROFILE_SMALL), 1);
    EXPECT_FALSE(engine.IsSupported(nullptr));
    EXPECT_EQ(test_engine::ReadCalls(hostFolder).size(), 1u);
}

} // namespace
