// Sockets over the loopback interface, with the peer in a second thread.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "common/TestData.h"
#include "core/Socket.h"

using KOL::Socket;

namespace {

std::string loopback(int port) { return "127.0.0.1:" + std::to_string(port); }

// A stream client that keeps trying until the server listens, then sends text and closes.
void sendWhenListening(int port, std::string text)
{
  Socket client;
  std::string spec = loopback(port);
  testing::internal::CaptureStderr();  // refused attempts before the server is up
  bool ok = false;
  for (int i = 0; i < 200 && !(ok = client.open(spec.c_str(), Socket::STREAM)); i++)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  testing::internal::GetCapturedStderr();
  if (!ok) return;
  client.write(text.data(), static_cast<int>(text.size()));
  client.close();
}

// A plain client of the already listening server: sends text, returns what comes back.
void exchange(int port, std::string text, std::string* reply)
{
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    send(fd, text.data(), text.size(), 0);
    char buf[100];
    ssize_t n = recv(fd, buf, sizeof buf, 0);
    if (n > 0) reply->assign(buf, n);
  }
  close(fd);
}

std::string lineOf(Socket& s, int n)
{
  char buf[1100];
  int got = s.readLine(buf, n);
  return got > 0 ? std::string(buf, got) : "<" + std::to_string(got) + ">";
}

TEST(Socket, DatagramsCarryLines)
{
  int port = KOLTest::freePort(SOCK_DGRAM);
  Socket receiver, sender;
  ASSERT_EQ(receiver.open(std::to_string(port).c_str(), Socket::DATAGRAM), 1);
  ASSERT_EQ(sender.open(loopback(port).c_str(), Socket::DATAGRAM), 1);

  std::string msg = "ZCZC 001\nSAUS70 KWBC 151200\n";
  EXPECT_EQ(sender.write(msg.data(), static_cast<int>(msg.size())), static_cast<int>(msg.size()));
  EXPECT_EQ(sender.write("NNNN\n", 5), 5);
  EXPECT_EQ(lineOf(receiver, 100), "ZCZC 001\n");
  EXPECT_EQ(lineOf(receiver, 6), "SAUS70");  // cut at n
  EXPECT_EQ(lineOf(receiver, 100), " KWBC 151200\n");
  char raw[10];
  EXPECT_EQ(receiver.read(raw, sizeof raw), 5);
  EXPECT_EQ(std::string(raw, 5), "NNNN\n");

  EXPECT_EQ(sender.read(raw, sizeof raw), 0);  // senders do not receive
  EXPECT_EQ(receiver.write("x", 1), -1);       // receivers do not send
  receiver.close();
  EXPECT_EQ(receiver.readLine(raw, sizeof raw), -1);
}

TEST(Socket, StreamServerReadsLinesAndAcceptsTheNextClient)
{
  int port = KOLTest::freePort(SOCK_STREAM);
  std::string longLine(1500, 'x');
  std::thread peer(sendWhenListening, port, "first line\n" + longLine + "\nlast");

  Socket server;
  ASSERT_EQ(server.open(std::to_string(port).c_str(), Socket::STREAM), 1);
  EXPECT_EQ(lineOf(server, 1100), "first line\n");
  EXPECT_EQ(lineOf(server, 1100), longLine.substr(0, 1000));  // the whole buffer
  EXPECT_EQ(lineOf(server, 300), longLine.substr(0, 300));
  EXPECT_EQ(lineOf(server, 1100), longLine.substr(0, 200) + "\n");
  EXPECT_EQ(lineOf(server, 1100), "last");  // the peer closed after it
  EXPECT_EQ(lineOf(server, 1100), "<0>");
  peer.join();

  std::string reply;
  std::thread second(exchange, port, std::string("again\n"), &reply);
  EXPECT_EQ(server.reconnect(), 1);
  EXPECT_EQ(lineOf(server, 100), "again\n");
  EXPECT_EQ(server.write("ack\n", 4), 4);  // answers on the accepted connection
  second.join();
  EXPECT_EQ(reply, "ack\n");
  char raw[10];
  EXPECT_EQ(server.read(raw, sizeof raw), 0);
}

TEST(Socket, FailuresAreReportedAndLeaveItClosed)
{
  Socket s;
  int closedPort = KOLTest::freePort(SOCK_STREAM);
  testing::internal::CaptureStderr();
  EXPECT_EQ(s.open(loopback(closedPort).c_str(), Socket::STREAM), 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "Socket error on connect\nconnect: Connection refused\n");
  EXPECT_FALSE(s.isOpen());

  struct Bad {
    const char* spec;
    int mode;
  } bad[] = {{"abc", 1}, {"", 4}, {"127.0.0.1:99999", 1}, {nullptr, 1}};
  for (const Bad& b : bad) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(s.open(b.spec, b.mode), 0) << (b.spec ? b.spec : "null");
    EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("Socket: invalid address", 0), 0u);
  }
  testing::internal::CaptureStderr();
  EXPECT_EQ(s.open("localhost:80", Socket::STREAM), 0);  // names are not looked up
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Socket: not a dotted IPv4 address: localhost\n");
}

}  // namespace
