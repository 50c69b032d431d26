// The media player needs the application object that the program has.
//
// Run plainly, the tests see no audio device, whatever the machine has (as a
// server or CI does). Run with --null-sink, they start a private sound server
// whose only output is a null sink and see one device: the playing path.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

extern char** environ;

namespace {

struct TPrivateSoundServer {
  pid_t Pid = -1;
  std::string Dir;

  bool Start() {
    char pattern[] = "/tmp/tamblin-sound-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return false;
    Dir = pattern;
    setenv("HOME", Dir.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", Dir.c_str(), 1);
    std::string socket = Dir + "/native";
    std::string native = "module-native-protocol-unix auth-anonymous=1 socket=" + socket;
    const char* argv[] = {"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                          "--disable-shm=yes", "--use-pid-file=no", "--log-target=stderr",
                          "--log-level=0", "-L", "module-null-sink sink_name=tamblin_test",
                          "-L", native.c_str(), nullptr};
    if (posix_spawnp(&Pid, "pulseaudio", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
      Pid = -1;
      return false;
    }
    setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
    for (int i = 0; i < 100; ++i) {
      struct stat info;
      if (stat(socket.c_str(), &info) == 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  ~TPrivateSoundServer() {
    if (Pid > 0) {
      kill(Pid, SIGTERM);
      waitpid(Pid, nullptr, 0);
    }
    if (!Dir.empty()) {
      std::string command = "rm -rf '" + Dir + "'";
      if (std::system(command.c_str()) != 0) {
      }
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  bool nullSink = false;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--null-sink") == 0) nullSink = true;
  TPrivateSoundServer server;
  if (nullSink) {
    if (!server.Start()) {
      std::printf("no private sound server could be started (is pulseaudio installed?): "
                  "the playing path is not tested\n");
      return 0;
    }
  } else {
    setenv("PULSE_SERVER", "unix:/nonexistent/tamblin-no-sound", 1);
  }
  QCoreApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
