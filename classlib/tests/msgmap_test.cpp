#include "classlib/msgmap.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class Base : public CCmdTarget {
public:
    std::string log;
    void OnFirst() { log += "base-first "; }
    void OnSecond() { log += "base-second "; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Base, CCmdTarget)
    ON_COMMAND(1, &Base::OnFirst)
    ON_COMMAND(2, &Base::OnSecond)
END_MESSAGE_MAP()

class Derived : public Base {
public:
    void OnFirstAgain() { log += "derived-first "; }
    void OnButton() { log += "button "; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Derived, Base)
    ON_COMMAND(1, &Derived::OnFirstAgain)
    ON_BN_CLICKED(5, &Derived::OnButton)
END_MESSAGE_MAP()

TEST(MessageMap, TheMostDerivedEntryWinsAndBasesAnswerTheRest)
{
    Derived target;
    EXPECT_TRUE(target.OnCmdMsg(1, 0));
    EXPECT_TRUE(target.OnCmdMsg(2, 0));
    EXPECT_TRUE(target.OnCmdMsg(5, BN_CLICKED));
    EXPECT_FALSE(target.OnCmdMsg(5, BN_DOUBLECLICKED));  // the notification code must match
    EXPECT_FALSE(target.OnCmdMsg(3, 0));
    EXPECT_EQ(target.log, "derived-first base-second button ");
}

}  // namespace
