#pragma once

// A copy of the starter working directory served by a real ApiServer on a
// free loopback port, for the tests that speak HTTP to it.

#include "curation/stats.h"
#include "files/file_store.h"
#include "files/path_map.h"
#include "hub/conversation_hub.h"
#include "hub/hub_thread.h"
#include "server/api_server.h"
#include "talk/clock.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

namespace besedka::test {

class ServedWorkdir : public ::testing::Test {
  protected:
    ServedWorkdir() {
        std::filesystem::copy(std::filesystem::path(BESEDKA_SOURCE_DIR) / "data", workdir(),
                              std::filesystem::copy_options::recursive);
        ::setenv("XDG_STATE_HOME", (dir_.path() / "state").c_str(), 1);
    }
    ~ServedWorkdir() override {
        if (api_) {
            api_->stop();
            serving_.join();
            hubThread_->stop();
        }
    }

    void serve(server::ApiSettings settings = {}) {
        files_ = std::make_unique<FileStore>(PathMap(workdir()));
        hub_ = std::make_unique<ConversationHub>(*files_, clock_);
        hubThread_ = std::make_unique<HubThread>(*hub_);
        api_ = std::make_unique<server::ApiServer>(*hubThread_, std::move(settings));
        port_ = api_->bind({"127.0.0.1", 0});
        serving_ = std::thread([this] { api_->serve(); });
    }

    std::filesystem::path workdir() const { return dir_.path() / "work"; }
    int port() const { return port_; }
    const FileStore& files() const { return *files_; }

    httplib::Client client() const {
        httplib::Client http("127.0.0.1", port_);
        http.set_read_timeout(30);
        return http;
    }

    // Every file of Base with its bytes.
    std::map<std::string, std::string> baseFiles() const {
        std::map<std::string, std::string> bytes;
        for (const auto& entry : std::filesystem::directory_iterator(workdir() / "Base")) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream content;
            content << in.rdbuf();
            bytes[entry.path().filename().string()] = content.str();
        }
        return bytes;
    }

  private:
    TempDir dir_;
    FakeClock clock_{36'000'000};
    std::unique_ptr<FileStore> files_;
    std::unique_ptr<ConversationHub> hub_;
    std::unique_ptr<HubThread> hubThread_;
    std::unique_ptr<server::ApiServer> api_;
    std::thread serving_;
    int port_ = 0;
};

} // namespace besedka::test
