#include "loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "virtual_card.h"

namespace korvaden::card {
namespace {

std::string HexOrDash(const Bytes& bytes) { return bytes.empty() ? "-" : Hex(bytes); }
Bytes FromHexOrDash(const std::string& text) { return text == "-" ? Bytes{} : FromHex(text); }
std::string Text(const std::string& hex) {
  const Bytes bytes = FromHexOrDash(hex);
  return std::string(bytes.begin(), bytes.end());
}

std::string Handle(PcscApi& readers, const std::string& line) {
  std::istringstream in(line);
  std::ostringstream out;
  std::string op;
  in >> op;
  if (op == "EST") {
    PcscContext context = 0;
    const PcscResult rc = readers.EstablishContext(0, context);
    out << AsInteger(rc) << " " << context;
  } else if (op == "REL") {
    PcscContext context = 0;
    in >> context;
    out << AsInteger(readers.ReleaseContext(context));
  } else if (op == "LIST") {
    PcscContext context = 0;
    in >> context;
    char names[4096];
    std::uint32_t length = sizeof(names);
    const PcscResult rc = readers.ListReaders(context, names, length);
    out << AsInteger(rc) << " " << (rc == kScardSuccess ? HexOrDash(Bytes(names, names + length)) : "-");
  } else if (op == "CONN") {
    PcscContext context = 0;
    std::string name;
    std::uint32_t share = 0, protocols = 0, active = 0;
    in >> context >> name >> share >> protocols;
    PcscCard card = 0;
    const PcscResult rc = readers.Connect(context, Text(name).c_str(), share, protocols, card, active);
    out << AsInteger(rc) << " " << card << " " << active;
  } else if (op == "STAT") {
    PcscCard card = 0;
    in >> card;
    char name[256];
    std::uint32_t nameLength = sizeof(name), state = 0, protocol = 0, atrLength = 33;
    std::uint8_t atr[33];
    const PcscResult rc = readers.Status(card, name, nameLength, state, protocol, atr, atrLength);
    out << AsInteger(rc) << " " << state << " " << protocol << " "
        << (rc == kScardSuccess ? HexOrDash(Bytes(atr, atr + atrLength)) : "-") << " "
        << (rc == kScardSuccess ? HexOrDash(Bytes(name, name + nameLength)) : "-");
  } else if (op == "GSC") {
    PcscContext context = 0;
    std::uint32_t timeout = 0, state = 0, event = 0;
    std::string name;
    in >> context >> timeout >> name >> state;
    const PcscResult rc = readers.GetStatusChange(context, timeout, Text(name).c_str(), state, event);
    out << AsInteger(rc) << " " << event;
  } else if (op == "TX") {
    PcscCard card = 0;
    std::string command;
    in >> card >> command;
    const Bytes apdu = FromHexOrDash(command);
    std::uint8_t response[1024];
    std::uint32_t length = sizeof(response);
    const PcscResult rc =
        readers.Transmit(card, apdu.data(), static_cast<std::uint32_t>(apdu.size()), response, length);
    out << AsInteger(rc) << " " << (rc == kScardSuccess ? HexOrDash(Bytes(response, response + length)) : "-");
  } else if (op == "DISC") {
    PcscCard card = 0;
    std::uint32_t disposition = 0;
    in >> card >> disposition;
    out << AsInteger(readers.Disconnect(card, disposition));
  } else {
    out << AsInteger(kScardInvalidParameter);
  }
  return out.str() + "\n";
}

}  // namespace

int ServeLoopback(int port, const std::function<std::unique_ptr<PcscApi>()>& serviceForClient) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  const int on = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(listener, 4) != 0) {
    std::perror("korvaden-card: loopback port");
    return 1;
  }
  socklen_t length = sizeof(address);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  std::printf("serving on port %d\n", ntohs(address.sin_port));  // port 0 asks for any free one
  std::fflush(stdout);
  for (;;) {
    const int client = accept(listener, nullptr, nullptr);
    if (client < 0) continue;
    // Each client process has its own contexts and connections, as with the
    // real service: a client that goes away leaves nothing open.
    const std::unique_ptr<PcscApi> readers = serviceForClient();
    std::string pending;
    char buffer[4096];
    for (ssize_t got; (got = read(client, buffer, sizeof(buffer))) > 0;) {
      pending.append(buffer, static_cast<std::size_t>(got));
      for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
        const std::string answer = Handle(*readers, pending.substr(0, end));
        pending.erase(0, end + 1);
        if (write(client, answer.data(), answer.size()) < 0) break;
      }
    }
    close(client);
  }
}

}  // namespace korvaden::card
