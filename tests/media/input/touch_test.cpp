// Tests of the media layer's touch input.
#include "tests/media/input/input_fixture.h"

namespace halvorine_test {
namespace {

using namespace ZaDod;

TouchInputRecord touches(std::initializer_list<TouchInputPoint> points, long long time = 0) {
  TouchInputRecord r{};
  r.Time = time;
  for (const TouchInputPoint& p : points) r.Point[r.PointNum++] = p;
  return r;
}

TEST_F(InputTest, TheFirstFingerStandsInForTheMouseUntilItLifts) {
  ASSERT_EQ(startLibrary(), 0);
  pointer(7, 9);
  ProcessWindowMessages();
  int x, y;

  TouchInputRecord one = touches({{0, 11, 30, 40}});
  AddTouchInputRecord(&one);
  tick();
  EXPECT_EQ(GetMouseButtonInput(), 1);
  GetMousePoint(&x, &y);
  EXPECT_EQ(x, 30);
  EXPECT_EQ(y, 40);

  TouchInputRecord two = touches({{0, 12, 200, 210}, {0, 11, 31, 41}});
  AddTouchInputRecord(&two);
  GetMousePoint(&x, &y);
  EXPECT_EQ(x, 31);
  EXPECT_EQ(y, 41);

  TouchInputRecord lifted = touches({{0, 12, 201, 211}});
  AddTouchInputRecord(&lifted);
  GetMousePoint(&x, &y);
  EXPECT_EQ(x, 201);
  EXPECT_EQ(Input.Status.TouchID, 12);

  TouchInputRecord none = touches({});
  AddTouchInputRecord(&none);
  tick();
  EXPECT_EQ(GetMouseButtonInput(), 0);
  GetMousePoint(&x, &y);
  EXPECT_EQ(x, 7);
  EXPECT_EQ(y, 9);
  EXPECT_EQ(Input.Status.TouchIndex, -1);
}

TEST_F(InputTest, TouchHistoryKeepsTheLast120Records) {
  ResetInputStatus();
  for (int i = 0; i < 121; ++i) {
    TouchInputRecord r = touches({{0, i, i, i}}, i * 1000LL);
    AddTouchInputRecord(&r);
  }
  const InputStatus& s = Input.Status;
  EXPECT_EQ(s.TouchHistoryNum, 120);
  EXPECT_EQ(s.TouchHistoryStart, 1);
  EXPECT_EQ(s.TouchHistory[0].Time, 120000);
  EXPECT_EQ(s.TouchHistory[1].Time, 1000);
  ResetInputStatus();
}

TEST_F(InputTest, ARecordClaimingTooManyPointsIsCutTo16) {
  TouchInputRecord r{};
  r.PointNum = 1000;
  r.Point[15] = {0, 3, 5, 6};
  AddTouchInputRecord(&r);
  EXPECT_EQ(Input.Status.Touch.PointNum, 16);
  ResetInputStatus();
}

}  // namespace
}  // namespace halvorine_test
