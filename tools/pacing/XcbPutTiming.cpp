// libpelaryn-xcb-timing.so: preloaded into the game by scripts/measure-pacing, it notes the
// monotonic time of every image the process puts to the X server, the moment a frame leaves
// for the display as the server sees it. One line per call, in nanoseconds, to the file named by
// PELARYN_XCB_LOG; the calls go on to the real libxcb unchanged.

#include <dlfcn.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>

// libxcb's own declarations, as its headers give them, so that building this needs no more of
// its development files than the game does.
extern "C" {
struct xcb_connection_t;
struct xcb_void_cookie_t {
  unsigned int sequence;
};
using xcb_drawable_t = uint32_t;
using xcb_gcontext_t = uint32_t;
using xcb_shm_seg_t = uint32_t;
}

namespace {

struct TimingLog {
  std::mutex lock;
  std::FILE* file = nullptr;

  TimingLog() {
    if (const char* path = std::getenv("PELARYN_XCB_LOG")) file = std::fopen(path, "w");
    // A line at a time (some twenty a second), so a game ended by a signal leaves them all.
    if (file != nullptr) std::setvbuf(file, nullptr, _IOLBF, 0);
  }
  ~TimingLog() {
    if (file != nullptr) std::fclose(file);
  }
  void Note() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::lock_guard guard(lock);
    if (file != nullptr) {
      std::fprintf(file, "%lld\n",
                   static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec);
    }
  }
};

TimingLog& Log() {
  static TimingLog log;
  return log;
}

// The real function from the library that holds it: the toolkit loads libxcb's parts privately,
// out of the reach of RTLD_NEXT.
template <typename Function>
Function* Real(const char* library, const char* name) {
  void* handle = dlopen(library, RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) handle = dlopen(library, RTLD_NOW);
  void* found = handle != nullptr ? dlsym(handle, name) : nullptr;
  if (found == nullptr) {
    std::fprintf(stderr, "xcb timing: no %s in %s\n", name, library);
    std::abort();
  }
  return reinterpret_cast<Function*>(found);
}

}  // namespace

extern "C" {

using ShmPutImage = xcb_void_cookie_t(xcb_connection_t*, xcb_drawable_t, xcb_gcontext_t, uint16_t,
                                      uint16_t, uint16_t, uint16_t, uint16_t, uint16_t, int16_t,
                                      int16_t, uint8_t, uint8_t, uint8_t, xcb_shm_seg_t, uint32_t);
using PutImage = xcb_void_cookie_t(xcb_connection_t*, uint8_t, xcb_drawable_t, xcb_gcontext_t,
                                   uint16_t, uint16_t, int16_t, int16_t, uint8_t, uint8_t, uint32_t,
                                   const uint8_t*);

xcb_void_cookie_t xcb_shm_put_image(xcb_connection_t* c, xcb_drawable_t drawable, xcb_gcontext_t gc,
                                    uint16_t total_width, uint16_t total_height, uint16_t src_x,
                                    uint16_t src_y, uint16_t src_width, uint16_t src_height,
                                    int16_t dst_x, int16_t dst_y, uint8_t depth, uint8_t format,
                                    uint8_t send_event, xcb_shm_seg_t shmseg, uint32_t offset) {
  static ShmPutImage* const real = Real<ShmPutImage>("libxcb-shm.so.0", "xcb_shm_put_image");
  Log().Note();
  return real(c, drawable, gc, total_width, total_height, src_x, src_y, src_width, src_height,
              dst_x, dst_y, depth, format, send_event, shmseg, offset);
}

xcb_void_cookie_t xcb_put_image(xcb_connection_t* c, uint8_t format, xcb_drawable_t drawable,
                                xcb_gcontext_t gc, uint16_t width, uint16_t height, int16_t dst_x,
                                int16_t dst_y, uint8_t left_pad, uint8_t depth, uint32_t data_len,
                                const uint8_t* data) {
  static PutImage* const real = Real<PutImage>("libxcb.so.1", "xcb_put_image");
  Log().Note();
  return real(c, format, drawable, gc, width, height, dst_x, dst_y, left_pad, depth, data_len,
              data);
}

}  // extern "C"
