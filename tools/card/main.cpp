// korvaden-card: the virtual financial card in pcscd's virtual reader. It
// connects to the vpcd driver (127.0.0.1:35963 by default) as the card being
// inserted; closing the connection is taking the card out.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "loopback_server.h"
#include "virtual_card.h"
#include "virtual_pcsc.h"

namespace {

using korvaden::card::Bytes;

constexpr std::uint8_t kPowerOff = 0x00, kPowerOn = 0x01, kReset = 0x02, kGetAtr = 0x04;
const Bytes kAtr = {0x3B, 0x80, 0x01, 0x81};  // T=1

int ConnectTo(const std::string& host, int port) {
  for (;;) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
      const int on = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
      return fd;
    }
    close(fd);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

bool ReadExactly(int fd, std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    // The driver writes a message in two pieces; acknowledging at once keeps
    // its second piece from waiting for a delayed ACK.
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof(on));
    const ssize_t got = read(fd, data, size);
    if (got <= 0) return false;
    data += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

bool Send(int fd, const Bytes& payload) {
  Bytes message = {static_cast<std::uint8_t>(payload.size() >> 8), static_cast<std::uint8_t>(payload.size())};
  message.insert(message.end(), payload.begin(), payload.end());
  return write(fd, message.data(), message.size()) == static_cast<ssize_t>(message.size());
}

// Serves one insertion: until the reader goes away or the card is taken out.
void ServeInsertion(int fd, korvaden::card::VirtualCard& card) {
  for (;;) {
    std::uint8_t header[2];
    if (!ReadExactly(fd, header, 2)) return;
    Bytes payload(static_cast<std::size_t>(header[0] << 8 | header[1]));
    if (!ReadExactly(fd, payload.data(), payload.size())) return;
    if (payload.size() == 1) {
      if (payload[0] == kGetAtr && !Send(fd, kAtr)) return;
      if (payload[0] == kPowerOn || payload[0] == kReset || payload[0] == kPowerOff) card.PowerCycle();
      continue;
    }
    const auto exchange = card.Process(payload);
    if (!exchange.transmitted || !Send(fd, exchange.answer) || !card.present()) return;
  }
}

int Usage() {
  std::cerr << "usage: korvaden-card [--profile FILE] [--set NAME=VALUE]... [--log FILE] [--host H] [--port N]\n"
               "                     [--serve PORT]\n"
               "  --port N     insert the card into pcscd's virtual reader listening on N (default 35963)\n"
               "  --serve PORT serve a virtual reader with the card on 127.0.0.1:PORT (0: any free port)\n"
               "               to the test winscard.dll\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string profileText, logPath, host = "127.0.0.1";
  std::vector<std::string> settings;
  int port = 35963, servePort = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return Usage();
    const std::string value = argv[++i];
    if (arg == "--profile") {
      std::ifstream in(value);
      if (!in) return std::cerr << "cannot read " << value << "\n", 1;
      std::ostringstream text;
      text << in.rdbuf();
      profileText = text.str();
    } else if (arg == "--set") {
      settings.push_back(value);
    } else if (arg == "--log") {
      logPath = value;
    } else if (arg == "--host") {
      host = value;
    } else if (arg == "--port") {
      port = std::stoi(value);
    } else if (arg == "--serve") {
      servePort = std::stoi(value);
    } else {
      return Usage();
    }
  }
  std::string error;
  auto profile = korvaden::card::ParseProfile(profileText, error);
  if (!profile) return std::cerr << error << "\n", 1;
  for (const auto& setting : settings) {
    if (!korvaden::card::ApplyProfileSetting(*profile, setting))
      return std::cerr << "bad setting " << setting << "\n", 1;
  }
  const int reinsertAfterMs = profile->reinsertAfterMs;
  korvaden::card::VirtualCard card(*profile);
  std::ofstream log;
  if (!logPath.empty()) log.open(logPath, std::ios::app);
  card.onCommand = [&](const std::string& line) {
    if (log) log << line << std::endl;
  };

  if (servePort >= 0) {
    return korvaden::card::ServeLoopback(servePort, [&card]() -> std::unique_ptr<korvaden::PcscApi> {
      auto readers = std::make_unique<korvaden::card::VirtualReaders>();
      readers->AddReader(korvaden::card::kLoopbackReaderName, &card);
      return readers;
    });
  }

  for (;;) {
    const int fd = ConnectTo(host, port);
    ServeInsertion(fd, card);
    close(fd);
    if (reinsertAfterMs <= 0 && !card.present()) {
      pause();  // taken out for good: wait to be stopped
      return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::max(reinsertAfterMs, 100)));
    card.SetPresent(true);
  }
}
