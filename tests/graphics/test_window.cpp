// One real GLFW window with an OpenGL context, the host game around it and
// the graphics device, opened once for the whole test process.
#include <GLFW/glfw3.h>
#include <dlfcn.h>
#include <link.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

#include "tests/graphics/graphics_test_support.h"

namespace {

std::unique_ptr<NxQuarryGame> g_host;

// Mesa's driver keeps a few one-time allocations in its own statics. Closing
// GLFW unloads the driver with them, and the leak checker of the sanitizer
// build then reports them as ours. Holding one more reference keeps the
// driver, and what it points at, until the process ends.
void KeepGlDriverLoaded() {
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void*) {
        if (info->dlpi_name && std::strstr(info->dlpi_name, "_dri.so"))
          dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD);
        return 0;
      },
      nullptr);
}
std::optional<gxtkGraphics> g_device;

class WindowEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    std::unique_ptr<HostWindow> window = MakeGlfwWindow(640, 480, "Tripath graphics test");
    ASSERT_NE(window, nullptr) << "no window (is DISPLAY set?)";
    g_host = std::make_unique<NxQuarryGame>(std::move(window));
    g_device.emplace();
    KeepGlDriverLoaded();
  }
  void TearDown() override {
    ResetGraphicsContextForTests();
    g_device.reset();
    g_host.reset();  // closes the window and GLFW
  }
};

const ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new WindowEnvironment);

}  // namespace

gxtkGraphics& TestDevice() {
  return *g_device;
}

GLFWwindow* TestWindow() {
  return glfwGetCurrentContext();
}

bool ResizeTestWindow(int width, int height) {
  glfwSetWindowSize(TestWindow(), width, height);
  for (int i = 0; i < 400; ++i) {
    glfwPollEvents();
    int w = 0, h = 0;
    glfwGetFramebufferSize(TestWindow(), &w, &h);
    if (w == width && h == height) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

void FrameTest::SetUp() {
  ASSERT_TRUE(g_device.has_value());
  ASSERT_EQ(TestDevice().BeginFrame(), 1);
  GraphicsFrameSetUp(&TestDevice());
  ClearToColor(0, 0, 0);
}

void FrameTest::TearDown() {
  GraphicsFrameEnd();
  TestDevice().EndFrame();
}

std::uint32_t FrameTest::Pixel(int x, int y) {
  int value = 0;
  TestDevice().CopyPixelsOut(std::span<int>(&value, 1), x, y, 1, 1, 0, 1);
  return static_cast<std::uint32_t>(value);
}
