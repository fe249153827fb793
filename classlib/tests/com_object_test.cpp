// The object wrapper, the cached class factory and the module's lock count.
#include "classlib/class_factory.h"
#include "classlib/com_module.h"
#include "classlib/com_object.h"

#include <gtest/gtest.h>

namespace {

const CLSID kTestClsid = {0x6F1C0D7E, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 2}};

int g_finalReleases = 0;
HRESULT g_finalConstructResult = S_OK;

class CTestObject : public CComObjectRootEx, public IPersist {
public:
    HRESULT FinalConstruct() { return g_finalConstructResult; }
    void FinalRelease() { ++g_finalReleases; }
    void* FindInterface(REFIID iid)
    {
        return iid == IID_IUnknown || iid == IID_IPersist ? static_cast<IPersist*>(this) : nullptr;
    }
    STDMETHODIMP GetClassID(CLSID* clsid) override
    {
        *clsid = kTestClsid;
        return S_OK;
    }
    static HRESULT UpdateRegistry(BOOL) { return S_OK; }
};

ObjectMapEntry g_map[] = {{&kTestClsid, &CComObject<CTestObject>::CreateInstance, &CTestObject::UpdateRegistry, nullptr}};

class ComObjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_finalReleases = 0;
        g_finalConstructResult = S_OK;
    }
    CAtlDllModule module{g_map, 1, GUID_NULL, 0};
};

TEST_F(ComObjectTest, EachLiveObjectHoldsOneModuleLock)
{
    IPersist* first = nullptr;
    IUnknown* second = nullptr;
    ASSERT_EQ(S_OK, CComObject<CTestObject>::CreateInstance(IID_IPersist, reinterpret_cast<void**>(&first)));
    ASSERT_EQ(S_OK, CComObject<CTestObject>::CreateInstance(IID_IUnknown, reinterpret_cast<void**>(&second)));
    EXPECT_EQ(2, module.GetLockCount());
    EXPECT_EQ(S_FALSE, module.DllCanUnloadNow());
    EXPECT_EQ(0u, first->Release());
    EXPECT_EQ(1, g_finalReleases);
    EXPECT_EQ(0u, second->Release());
    EXPECT_EQ(0, module.GetLockCount());
    EXPECT_EQ(S_OK, module.DllCanUnloadNow());
}

TEST_F(ComObjectTest, FailedConstructionOrQueryDestroysTheObject)
{
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, CComObject<CTestObject>::CreateInstance(IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    g_finalConstructResult = E_ACCESSDENIED;
    EXPECT_EQ(E_ACCESSDENIED, CComObject<CTestObject>::CreateInstance(IID_IPersist, &object));
    EXPECT_EQ(2, g_finalReleases);
    EXPECT_EQ(0, module.GetLockCount());
}

TEST_F(ComObjectTest, CachedFactoryLocksOnlyWhileOthersHoldIt)
{
    IClassFactory* first = nullptr;
    IClassFactory* second = nullptr;
    ASSERT_EQ(S_OK, module.DllGetClassObject(kTestClsid, IID_IClassFactory, reinterpret_cast<void**>(&first)));
    ASSERT_EQ(S_OK, module.DllGetClassObject(kTestClsid, IID_IClassFactory, reinterpret_cast<void**>(&second)));
    EXPECT_EQ(first, second);
    EXPECT_EQ(1, module.GetLockCount());
    second->Release();
    EXPECT_EQ(1, module.GetLockCount());

    IPersist* object = nullptr;
    ASSERT_EQ(S_OK, first->CreateInstance(nullptr, IID_IPersist, reinterpret_cast<void**>(&object)));
    EXPECT_EQ(2, module.GetLockCount());
    EXPECT_EQ(S_OK, first->LockServer(TRUE));
    EXPECT_EQ(3, module.GetLockCount());
    EXPECT_EQ(S_OK, first->LockServer(FALSE));
    object->Release();
    first->Release();
    EXPECT_EQ(0, module.GetLockCount());

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, module.DllGetClassObject(IID_IPersist, IID_IClassFactory, &none));
    EXPECT_EQ(nullptr, none);
}

// An outer object that aggregates the test class, as a host may.
class COuter final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown) {
            *object = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return inner ? inner->QueryInterface(iid, object) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }

    IUnknown* inner = nullptr;
    ULONG refs = 1;
};

ObjectMapEntry g_aggregatableMap[] = {{&kTestClsid, &CComObject<CTestObject>::CreateInstance,
                                       &CTestObject::UpdateRegistry, nullptr,
                                       &CComAggObject<CTestObject>::CreateInstance}};

TEST_F(ComObjectTest, AnAggregatedObjectAnswersAsItsOuterObjectAndOnlyItsIUnknownIsItsOwn)
{
    CAtlDllModule aggregatable{g_aggregatableMap, 1, GUID_NULL, 0};
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, aggregatable.DllGetClassObject(kTestClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    COuter outer;
    void* refused = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_IPersist, &refused));
    EXPECT_EQ(nullptr, refused);
    ASSERT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)));
    EXPECT_EQ(2, aggregatable.GetLockCount()) << "the factory held outside the map, and the object";

    IPersist* persist = nullptr;
    ASSERT_EQ(S_OK, outer.QueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist)));
    EXPECT_EQ(2u, outer.refs) << "the inner object's interfaces count on the outer object";
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, persist->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity);
    identity->Release();
    persist->Release();
    EXPECT_EQ(1u, outer.refs);

    EXPECT_EQ(0u, outer.inner->Release());
    EXPECT_EQ(1, g_finalReleases);
    factory->Release();
    EXPECT_EQ(0, aggregatable.GetLockCount());
}

TEST_F(ComObjectTest, AClassWithoutAggregatedCreatorRefusesEveryOuterObject)
{
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, module.DllGetClassObject(kTestClsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    COuter outer;
    void* object = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_IUnknown, &object));
    EXPECT_EQ(nullptr, object);
    factory->Release();
}

}  // namespace
