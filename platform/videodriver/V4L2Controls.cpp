#include "platform/videodriver/V4L2Controls.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/videodriver/V4L2Io.h"

namespace {

constexpr unsigned kMaxEnumerations = 64;

int Ioctl(int fd, unsigned long request, void* arg) { return V4L2Io().Ioctl(fd, request, arg); }

void AddControl(int fd, const v4l2_queryctrl& query, std::vector<TVideoSourceControl>& controls) {
  if (query.flags & (V4L2_CTRL_FLAG_DISABLED | V4L2_CTRL_FLAG_READ_ONLY)) return;
  TVideoSourceControl control;
  switch (query.type) {
    case V4L2_CTRL_TYPE_INTEGER: control.Kind = sckInteger; break;
    case V4L2_CTRL_TYPE_BOOLEAN: control.Kind = sckBoolean; break;
    case V4L2_CTRL_TYPE_MENU: control.Kind = sckMenu; break;
    default: return;
  }
  control.Id = query.id;
  control.Name.assign(reinterpret_cast<const char*>(query.name),
                      strnlen(reinterpret_cast<const char*>(query.name), sizeof query.name));
  control.Minimum = query.minimum;
  control.Maximum = std::max(query.minimum, query.maximum);
  control.Step = query.step > 0 ? query.step : 1;
  control.Default = query.default_value;
  v4l2_control value{query.id, query.default_value};
  Ioctl(fd, VIDIOC_G_CTRL, &value);
  control.Value = value.value;
  if (control.Kind == sckMenu) {
    const int last = std::min(control.Maximum, control.Minimum + int(kMaxEnumerations) - 1);
    for (int i = control.Minimum; i <= last; ++i) {
      v4l2_querymenu item{};
      item.id = query.id;
      item.index = std::uint32_t(i);
      if (Ioctl(fd, VIDIOC_QUERYMENU, &item) == 0)
        control.MenuItems.emplace_back(
            reinterpret_cast<const char*>(item.name),
            strnlen(reinterpret_cast<const char*>(item.name), sizeof item.name));
      else
        control.MenuItems.push_back(std::to_string(i));
    }
    control.Maximum = last;
  }
  controls.push_back(std::move(control));
}

}  // namespace

std::vector<TVideoSourceControl> ReadV4L2Controls(int Fd) {
  std::vector<TVideoSourceControl> controls;
  if (Fd < 0) return controls;
  v4l2_queryctrl query{};
  query.id = V4L2_CTRL_FLAG_NEXT_CTRL;
  bool enumerates = false;
  for (unsigned n = 0; n < kMaxEnumerations && Ioctl(Fd, VIDIOC_QUERYCTRL, &query) == 0; ++n) {
    enumerates = true;
    AddControl(Fd, query, controls);
    query.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
  }
  if (!enumerates) {  // older drivers: ask for the user controls one by one
    for (std::uint32_t id = V4L2_CID_BASE; id < V4L2_CID_LASTP1; ++id) {
      query = v4l2_queryctrl{};
      query.id = id;
      if (Ioctl(Fd, VIDIOC_QUERYCTRL, &query) == 0) AddControl(Fd, query, controls);
    }
  }
  return controls;
}

void SetV4L2Control(int Fd, std::uint32_t Id, int Value) {
  if (Fd < 0) return;
  v4l2_control control{Id, Value};
  Ioctl(Fd, VIDIOC_S_CTRL, &control);
}
