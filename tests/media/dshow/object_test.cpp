// The object base and unknown: destruction on the last release, aggregation, the live count.
#include <gtest/gtest.h>

#include "tests/media/dshow/harness.h"

namespace halvorine_test {
namespace {

// Takes and drops a reference in its destructor, as clean-up code may.
class Touchy final : public D_CUnknown {
 public:
  Touchy(int* runs, LONG* countSeen) : D_CUnknown(u"touchy", nullptr), runs_(runs), countSeen_(countSeen) {}
  ~Touchy() override {
    ++*runs_;
    *countSeen_ = m_cRef.load();
    NonDelegatingAddRef();
    NonDelegatingRelease();
  }

 private:
  int* runs_;
  LONG* countSeen_;
};

TEST_F(DShowTest, LastReleaseRunsTheDestructorOnceWithTheCountHeld) {
  for (int round = 0; round < 100; ++round) {
    int runs = 0;
    LONG seen = -1;
    auto* object = new Touchy(&runs, &seen);
    EXPECT_EQ(object->NonDelegatingAddRef(), 1u);
    EXPECT_EQ(object->NonDelegatingAddRef(), 2u);
    EXPECT_EQ(object->NonDelegatingRelease(), 1u);
    EXPECT_EQ(object->NonDelegatingRelease(), 0u);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(seen, 1);
  }
}

// An inner object that answers IPersist and is aggregated by an outer one.
class Inner final : public D_CUnknown, public D_IPersist {
 public:
  explicit Inner(D_IUnknown* outer) : D_CUnknown(u"inner", outer) {}
  D_DECLARE_IUNKNOWN
  HRESULT NonDelegatingQueryInterface(const IID& iid, void** out) override {
    if (iid == ds::IID_IPersist) return GetInterface(static_cast<D_IPersist*>(this), out);
    return D_CUnknown::NonDelegatingQueryInterface(iid, out);
  }
  HRESULT GetClassID(CLSID* clsid) override {
    *clsid = {0xABCD, 0, 0, {0}};
    return S_OK;
  }
};

class Outer final : public D_IUnknown {
 public:
  Outer() {
    inner = new Inner(this);
    innerUnknown = inner->NonDelegatingUnknown();
    innerUnknown->AddRef();
  }
  ~Outer() { innerUnknown->Release(); }
  HRESULT QueryInterface(const IID& iid, void** out) override {
    ++queries;
    if (iid == plat::win::IID_IUnknown) {
      *out = this;
      AddRef();
      return S_OK;
    }
    return innerUnknown->QueryInterface(iid, out);  // the inner interfaces are ours too
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }

  Inner* inner;
  D_IUnknown* innerUnknown;
  int refs = 0;
  int queries = 0;
};

TEST_F(DShowTest, AggregationForwardsToTheOuterUnknown) {
  {
    Outer outer;
    void* face = nullptr;
    ASSERT_EQ(outer.QueryInterface(ds::IID_IPersist, &face), S_OK);
    auto* persist = static_cast<D_IPersist*>(face);
    EXPECT_EQ(outer.refs, 1) << "the interface's reference lands on the outer object";
    CLSID clsid;
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid.Data1, 0xABCDu);

    // The inner interface's delegating calls reach the outer unknown.
    const int queries = outer.queries;
    void* again = nullptr;
    EXPECT_EQ(persist->QueryInterface(plat::win::IID_IUnknown, &again), S_OK);
    EXPECT_EQ(again, static_cast<D_IUnknown*>(&outer));
    EXPECT_EQ(outer.queries, queries + 1);
    persist->AddRef();
    EXPECT_EQ(outer.refs, 3);
    persist->Release();
    persist->Release();
    static_cast<D_IUnknown*>(again)->Release();
    EXPECT_EQ(outer.refs, 0);

    // The inner unknown itself answers for the inner object only.
    void* innerSelf = nullptr;
    EXPECT_EQ(outer.innerUnknown->QueryInterface(plat::win::IID_IUnknown, &innerSelf), S_OK);
    EXPECT_EQ(innerSelf, outer.innerUnknown);
    outer.innerUnknown->Release();
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(outer.innerUnknown->QueryInterface(ds::IID_IPin, &none), plat::win::E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
  }
  // The outer object dropped the inner one; the live count (checked at tear-down) is back.
}

TEST_F(DShowTest, LiveObjectCountFollowsObjects) {
  const LONG before = D_CBaseObject::ObjectsActive();
  std::vector<HarnessFilter*> filters;
  for (int i = 0; i < 10; ++i) filters.push_back(made<HarnessFilter>());
  EXPECT_EQ(D_CBaseObject::ObjectsActive(), before + 10);
  for (HarnessFilter* f : filters) f->NonDelegatingRelease();
  EXPECT_EQ(D_CBaseObject::ObjectsActive(), before);
}

}  // namespace
}  // namespace halvorine_test
