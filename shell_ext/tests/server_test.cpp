// The COM server as Explorer meets it: class factory, handler objects, unload test.
#include "shell_test.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using ServerTest = ShellTest;

TEST_F(ServerTest, ClassFactoryIsCachedAndOffersOnlyTheHandlerClass)
{
    ComPtr<IClassFactory> first, second;
    ASSERT_EQ(S_OK, server.GetClassObject(kClsidShellExt, IID_IClassFactory, reinterpret_cast<void**>(first.ReleaseAndGetAddressOf())));
    ASSERT_EQ(S_OK, server.GetClassObject(kClsidShellExt, IID_IUnknown, reinterpret_cast<void**>(second.ReleaseAndGetAddressOf())));
    EXPECT_EQ(static_cast<IUnknown*>(first.Get()), static_cast<IUnknown*>(second.Get()));

    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, server.GetClassObject(IID_IClassFactory, IID_IClassFactory, &other));
    EXPECT_EQ(nullptr, other);
}

TEST_F(ServerTest, CreateInstanceRefusesAggregationAndMissingOutPointer)
{
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, server.GetClassObject(kClsidShellExt, IID_IClassFactory, reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf())));
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IShellExtInit, nullptr));

    ComPtr<IUnknown> outer;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(outer.ReleaseAndGetAddressOf())));
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer.Get(), IID_IUnknown, &object));
    EXPECT_EQ(nullptr, object);
}

TEST_F(ServerTest, HandlerAnswersItsTwoInterfacesButNotTheTypeLibraryOne)
{
    ComPtr<IShellExtInit> init;
    ASSERT_EQ(S_OK, server.CreateHandler(init.ReleaseAndGetAddressOf()));
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(S_OK, init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(menu.ReleaseAndGetAddressOf())));
    ComPtr<IUnknown> fromInit, fromMenu;
    ASSERT_EQ(S_OK, init->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(fromInit.ReleaseAndGetAddressOf())));
    ASSERT_EQ(S_OK, menu->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(fromMenu.ReleaseAndGetAddressOf())));
    EXPECT_EQ(fromInit.Get(), fromMenu.Get());

    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, init->QueryInterface(kIidPlenzarFileShellExt, &object));
    EXPECT_EQ(nullptr, object);

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, server.GetClassObject(kClsidShellExt, IID_IClassFactory, reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf())));
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, kIidPlenzarFileShellExt, &object));
    EXPECT_EQ(nullptr, object);
    factory.Reset();
    init.Reset();
    menu.Reset();
    fromInit.Reset();
    fromMenu.Reset();
    EXPECT_EQ(S_OK, server.CanUnloadNow()) << "a refused creation must give its lock back";
}

TEST_F(ServerTest, CanUnloadNowOnlyWithoutObjectsLocksOrHeldFactory)
{
    EXPECT_EQ(S_OK, server.CanUnloadNow());
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, server.GetClassObject(kClsidShellExt, IID_IClassFactory, reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf())));
    EXPECT_EQ(S_FALSE, server.CanUnloadNow());

    ComPtr<IShellExtInit> handler;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(handler.ReleaseAndGetAddressOf())));
    factory.Reset();
    EXPECT_EQ(S_FALSE, server.CanUnloadNow()) << "a live handler holds the module";
    handler.Reset();
    EXPECT_EQ(S_OK, server.CanUnloadNow());

    ASSERT_EQ(S_OK, server.GetClassObject(kClsidShellExt, IID_IClassFactory, reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf())));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory.Reset();
    EXPECT_EQ(S_FALSE, server.CanUnloadNow()) << "a server lock holds the module";
    ASSERT_EQ(S_OK, server.GetClassObject(kClsidShellExt, IID_IClassFactory, reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf())));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory.Reset();
    EXPECT_EQ(S_OK, server.CanUnloadNow());
}

TEST_F(ServerTest, HandlersOnTwoThreadsLiveAtOnce)
{
    HANDLE bothCreated = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    volatile LONG created = 0;
    HRESULT results[2] = {E_FAIL, E_FAIL};
    auto work = [&](int index) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        {
            ComPtr<IShellExtInit> handler;
            results[index] = server.CreateHandler(handler.ReleaseAndGetAddressOf());
            ComPtr<IContextMenu> menu;
            if (SUCCEEDED(results[index]))
                results[index] = handler->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(menu.ReleaseAndGetAddressOf()));
            if (InterlockedIncrement(&created) == 2) SetEvent(bothCreated);
            WaitForSingleObject(release, 10000);
        }
        CoUninitialize();
    };
    std::thread first(work, 0), second(work, 1);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(bothCreated, 10000));
    EXPECT_EQ(S_FALSE, server.CanUnloadNow());
    SetEvent(release);
    first.join();
    second.join();
    EXPECT_EQ(S_OK, results[0]);
    EXPECT_EQ(S_OK, results[1]);
    EXPECT_EQ(S_OK, server.CanUnloadNow());
    CloseHandle(bothCreated);
    CloseHandle(release);
}

}  // namespace
