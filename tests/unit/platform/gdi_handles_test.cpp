#include "platform/gdi_handles.hpp"

#include <gtest/gtest.h>

#include <type_traits>

namespace velkor {
namespace {

static_assert(!std::is_copy_constructible_v<UniqueMemoryDc>);
static_assert(!std::is_copy_constructible_v<UniqueIcon>);
static_assert(!std::is_copy_constructible_v<WindowDc> && !std::is_copy_assignable_v<WindowDc>);
static_assert(!std::is_copy_constructible_v<SelectedObject> && !std::is_copy_assignable_v<SelectedObject>);

// The selected object goes back out of the DC when its owner ends, moved or
// not, so the bitmap can be deleted and the DC keeps what it had.
TEST(GdiHandles, SelectedObjectsGoBackAndBitmapsAreCopied) {
  const WindowDc screen(nullptr);
  ASSERT_TRUE(screen);
  UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
  ASSERT_TRUE(memory);
  const HGDIOBJ original = GetCurrentObject(memory.get(), OBJ_BITMAP);

  UniqueGdiObject red(CreateCompatibleBitmap(screen.get(), 4, 4));
  UniqueGdiObject target(CreateCompatibleBitmap(screen.get(), 4, 4));
  {
    const SelectedObject fill(memory.get(), red.get());
    EXPECT_EQ(GetCurrentObject(memory.get(), OBJ_BITMAP), red.get());
    const RECT all{0, 0, 4, 4};
    const UniqueGdiObject brush(CreateSolidBrush(RGB(255, 0, 0)));
    FillRect(memory.get(), &all, static_cast<HBRUSH>(brush.get()));
  }
  EXPECT_EQ(GetCurrentObject(memory.get(), OBJ_BITMAP), original);
  {
    SelectedObject first(memory.get(), target.get());
    SelectedObject moved(std::move(first));
    EXPECT_TRUE(CopyBitmap(memory.get(), static_cast<HBITMAP>(red.get()), 1, 1, 2, 2));
    EXPECT_EQ(GetPixel(memory.get(), 1, 1), RGB(255, 0, 0));
    EXPECT_NE(GetPixel(memory.get(), 0, 0), RGB(255, 0, 0));
  }
  EXPECT_EQ(GetCurrentObject(memory.get(), OBJ_BITMAP), original);
  // A null object selects nothing and restores nothing.
  { const SelectedObject none(memory.get(), nullptr); }
  EXPECT_EQ(GetCurrentObject(memory.get(), OBJ_BITMAP), original);
}

TEST(GdiHandles, IconsAreDestroyedOnce) {
  UniqueIcon icon(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
  ASSERT_TRUE(icon);
  HICON raw = icon.get();
  UniqueIcon owner(std::move(icon));
  EXPECT_FALSE(icon);
  owner.reset();
  ICONINFO info{};
  EXPECT_FALSE(GetIconInfo(raw, &info));
}

}  // namespace
}  // namespace velkor
