// A test-only winscard.dll for Wine, whose own is a stub: every call goes over
// loopback to `korvaden-card --serve PORT` (the port in KORVADEN_CARD_PORT).
// It never ships.
#define WINSCARDDATA
// winsock2.h comes before windows.h, which would bring the old winsock.
#include <winsock2.h>

#include <windows.h>

#include <winscard.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

extern "C" {
const SCARD_IO_REQUEST g_rgSCardT0Pci = {SCARD_PROTOCOL_T0, sizeof(SCARD_IO_REQUEST)};
const SCARD_IO_REQUEST g_rgSCardT1Pci = {SCARD_PROTOCOL_T1, sizeof(SCARD_IO_REQUEST)};
const SCARD_IO_REQUEST g_rgSCardRawPci = {SCARD_PROTOCOL_RAW, sizeof(SCARD_IO_REQUEST)};
}

namespace {

SOCKET server = INVALID_SOCKET;

bool Connected() {
  if (server != INVALID_SOCKET) return true;
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  const char* port = std::getenv("KORVADEN_CARD_PORT");
  if (port == nullptr) return false;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(std::atoi(port)));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    closesocket(s);
    return false;
  }
  server = s;
  return true;
}

// Sends one request line and reads the answer line; empty when the server is gone.
std::string Ask(const std::string& request) {
  if (!Connected()) return {};
  const std::string line = request + "\n";
  if (send(server, line.data(), static_cast<int>(line.size()), 0) != static_cast<int>(line.size())) return {};
  std::string answer;
  char c = 0;
  while (recv(server, &c, 1, 0) == 1 && c != '\n') answer += c;
  return answer;
}

std::string Hex(const BYTE* bytes, DWORD length) {
  if (length == 0) return "-";
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (DWORD i = 0; i < length; ++i) {
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 15];
  }
  return text;
}

std::string HexText(const char* text) {
  return Hex(reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(std::strlen(text)));
}

std::string Bytes(const std::string& hex) {
  std::string bytes;
  if (hex == "-") return bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

// Copies into a caller's buffer of `*length` bytes; too small a buffer fails.
LONG CopyOut(const std::string& data, void* buffer, DWORD* length) {
  if (length == nullptr) return SCARD_E_INVALID_PARAMETER;
  const DWORD capacity = *length;
  *length = static_cast<DWORD>(data.size());
  if (buffer == nullptr) return SCARD_S_SUCCESS;
  if (data.size() > capacity) return SCARD_E_INSUFFICIENT_BUFFER;
  std::memcpy(buffer, data.data(), data.size());
  return SCARD_S_SUCCESS;
}

LONG Code(std::istringstream& in) {
  long long rc = 0;
  if (!(in >> rc)) return SCARD_E_NO_SERVICE;
  return static_cast<LONG>(rc);
}

}  // namespace

extern "C" {

LONG WINAPI SCardEstablishContext(DWORD, LPCVOID, LPCVOID, LPSCARDCONTEXT context) {
  std::istringstream in(Ask("EST"));
  const LONG rc = Code(in);
  unsigned long long handle = 0;
  if (rc == SCARD_S_SUCCESS && in >> handle) *context = static_cast<SCARDCONTEXT>(handle);
  return rc;
}

LONG WINAPI SCardReleaseContext(SCARDCONTEXT context) {
  std::istringstream in(Ask("REL " + std::to_string(context)));
  return Code(in);
}

LONG WINAPI SCardListReadersA(SCARDCONTEXT context, LPCSTR, LPSTR readers, LPDWORD length) {
  std::istringstream in(Ask("LIST " + std::to_string(context)));
  const LONG rc = Code(in);
  std::string names;
  in >> names;
  return rc == SCARD_S_SUCCESS ? CopyOut(Bytes(names), readers, length) : rc;
}

LONG WINAPI SCardConnectA(SCARDCONTEXT context, LPCSTR reader, DWORD share, DWORD protocols, LPSCARDHANDLE card,
                          LPDWORD active) {
  std::istringstream in(Ask("CONN " + std::to_string(context) + " " + HexText(reader) + " " + std::to_string(share) +
                            " " + std::to_string(protocols)));
  const LONG rc = Code(in);
  unsigned long long handle = 0;
  DWORD protocol = 0;
  if (rc == SCARD_S_SUCCESS && in >> handle >> protocol) {
    *card = static_cast<SCARDHANDLE>(handle);
    if (active != nullptr) *active = protocol;
  }
  return rc;
}

LONG WINAPI SCardStatusA(SCARDHANDLE card, LPSTR name, LPDWORD nameLength, LPDWORD state, LPDWORD protocol, LPBYTE atr,
                         LPDWORD atrLength) {
  std::istringstream in(Ask("STAT " + std::to_string(card)));
  const LONG rc = Code(in);
  if (rc != SCARD_S_SUCCESS) return rc;
  DWORD cardState = 0, cardProtocol = 0;
  std::string atrHex, nameHex;
  in >> cardState >> cardProtocol >> atrHex >> nameHex;
  if (state != nullptr) *state = cardState;
  if (protocol != nullptr) *protocol = cardProtocol;
  if (nameLength != nullptr) {
    const LONG copied = CopyOut(Bytes(nameHex), name, nameLength);
    if (copied != SCARD_S_SUCCESS) return copied;
  }
  return atrLength != nullptr ? CopyOut(Bytes(atrHex), atr, atrLength) : SCARD_S_SUCCESS;
}

LONG WINAPI SCardGetStatusChangeA(SCARDCONTEXT context, DWORD timeout, LPSCARD_READERSTATEA states, DWORD count) {
  for (DWORD i = 0; i < count; ++i) {
    std::istringstream in(Ask("GSC " + std::to_string(context) + " " + std::to_string(timeout) + " " +
                              HexText(states[i].szReader) + " " + std::to_string(states[i].dwCurrentState)));
    const LONG rc = Code(in);
    if (rc != SCARD_S_SUCCESS) return rc;
    in >> states[i].dwEventState;
  }
  return SCARD_S_SUCCESS;
}

LONG WINAPI SCardTransmit(SCARDHANDLE card, LPCSCARD_IO_REQUEST, LPCBYTE command, DWORD commandLength,
                          LPSCARD_IO_REQUEST, LPBYTE response, LPDWORD responseLength) {
  std::istringstream in(Ask("TX " + std::to_string(card) + " " + Hex(command, commandLength)));
  const LONG rc = Code(in);
  std::string answer;
  in >> answer;
  return rc == SCARD_S_SUCCESS ? CopyOut(Bytes(answer), response, responseLength) : rc;
}

LONG WINAPI SCardDisconnect(SCARDHANDLE card, DWORD disposition) {
  std::istringstream in(Ask("DISC " + std::to_string(card) + " " + std::to_string(disposition)));
  return Code(in);
}

}  // extern "C"
