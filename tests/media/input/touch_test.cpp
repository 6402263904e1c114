// Tests of the media layer's touch input: the front's records, and fingers reported
// by the window system reaching it through the window's touch messages.
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

// Fingers as the window system reports them, through the window procedure.
using K = plat::win::WindowEvent::Kind;

// A finger at a share of the client's width and height.
void finger(K kind, int id, float x, float y) {
  plat::win::WindowEvent e;
  e.kind = kind;
  e.key = id;
  e.touchX = x;
  e.touchY = y;
  plat::win::InjectWindowEvent(GetMainWindowHandle(), e);
  ProcessWindowMessages();
}

struct Seen {
  int buttons, x, y;
};
Seen seen() {
  Seen s{};
  s.buttons = GetMouseButtonInput();
  GetMousePoint(&s.x, &s.y);
  return s;
}

TEST_F(InputTest, FingersStandInForTheMouseFirstComeFirstTracked) {
  ASSERT_EQ(startLibrary(), 0);
  pointer(5, 6);
  ProcessWindowMessages();
  // 640 x 480 client: a share of 0.25 is pixel 160 across.
  struct Step {
    K kind;
    int id;
    float x, y;
    int buttons, wantX, wantY, points;
  } steps[] = {
      {K::FingerDown, 3, 0.25f, 0.5f, 1, 160, 240, 1},
      {K::FingerDown, 4, 0.75f, 0.25f, 1, 160, 240, 2},   // the first keeps being tracked
      {K::FingerMove, 3, 0.5f, 0.5f, 1, 320, 240, 2},
      {K::FingerMove, 4, 0.5f, 0.75f, 1, 320, 240, 2},
      {K::FingerUp, 3, 0.5f, 0.5f, 1, 320, 360, 1},       // the one left takes over
      {K::FingerDown, 3, 0.0f, 0.0f, 1, 320, 360, 2},
      {K::FingerUp, 4, 0.5f, 0.75f, 1, 0, 0, 1},
      {K::FingerMove, 3, 1.5f, -1.0f, 1, 640, 0, 1},      // held to the window's edge
      {K::FingerUp, 3, 1.0f, 0.0f, 0, 5, 6, 0},           // then the cursor again
      {K::FingerUp, 9, 0.5f, 0.5f, 0, 5, 6, 0},           // a finger never seen lands nowhere
  };
  int i = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(i++);
    finger(s.kind, s.id, s.x, s.y);
    const Seen got = seen();
    EXPECT_EQ(got.buttons & 1, s.buttons);
    EXPECT_EQ(got.x, s.wantX);
    EXPECT_EQ(got.y, s.wantY);
    EXPECT_EQ(Input.Status.Touch.PointNum, s.points);
  }
  // Twenty fingers: the record holds sixteen, the first of them tracked; all lift.
  for (int f = 0; f < 20; ++f) finger(K::FingerDown, 100 + f, 0.01f * static_cast<float>(f), 0.5f);
  EXPECT_EQ(Input.Status.Touch.PointNum, kMaxTouchPoints);
  EXPECT_EQ(Input.Status.TouchID, 100);
  EXPECT_EQ(seen().x, 0);
  for (int f = 0; f < 20; ++f) finger(K::FingerUp, 100 + f, 0.0f, 0.5f);
  EXPECT_EQ(seen().buttons & 1, 0);
  EXPECT_EQ(Input.Status.TouchID, -1);
}

}  // namespace
}  // namespace halvorine_test
