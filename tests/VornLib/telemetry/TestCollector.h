// A minimal Measurement Protocol collector for the analytics tests: HTTP/1.1
// on 127.0.0.1 only, at a port the system picks. It records every request
// (method, path, User-Agent, Content-Type, body) and answers 200, answers 404,
// or never answers, as the test asks.
#pragma once

#include "VornLib/core/Win32.h"

#include <winsock2.h>

#include <mutex>
#include <string>
#include <vector>

namespace vorn {

struct CollectedRequest {
    std::string method;
    std::string path;
    std::string userAgent;
    std::string contentType;
    std::string body;
};

class TestCollector {
public:
    enum class Answer { Ok, NotFound, Never };

    ~TestCollector() { stop(); }

    bool start(Answer answer) {
        answer_ = answer;
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
            return false;
        started_ = true;
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        if (listener_ == INVALID_SOCKET ||
            bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listener_, 8) != 0)
            return false;
        int length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = CreateThread(nullptr, 0, &TestCollector::Serve, this, 0, nullptr);
        return thread_ != nullptr;
    }

    void stop() {
        if (!started_)
            return;
        stopping_ = true;
        closesocket(listener_);
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (client_ != INVALID_SOCKET)
                closesocket(client_);
            client_ = INVALID_SOCKET;
        }
        if (thread_) {
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
        WSACleanup();
        started_ = false;
    }

    std::wstring url() const { return L"http://127.0.0.1:" + std::to_wstring(port_); }

    std::vector<CollectedRequest> requests() {
        std::lock_guard<std::mutex> guard(lock_);
        return requests_;
    }

private:
    static DWORD WINAPI Serve(void* self) {
        static_cast<TestCollector*>(self)->serve();
        return 0;
    }

    void serve() {
        while (!stopping_) {
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                return;
            {
                std::lock_guard<std::mutex> guard(lock_);
                client_ = client;
            }
            converse(client);
            {
                std::lock_guard<std::mutex> guard(lock_);
                if (client_ != INVALID_SOCKET)
                    closesocket(client_);
                client_ = INVALID_SOCKET;
            }
        }
    }

    // Requests on one kept-alive connection, until the peer or stop() closes it.
    void converse(SOCKET client) {
        std::string pending;
        char buffer[4096];
        for (;;) {
            size_t headerEnd;
            while ((headerEnd = pending.find("\r\n\r\n")) == std::string::npos) {
                const int got = recv(client, buffer, sizeof buffer, 0);
                if (got <= 0)
                    return;
                pending.append(buffer, size_t(got));
            }
            const std::string head = pending.substr(0, headerEnd + 2);
            CollectedRequest request;
            const size_t firstSpace = head.find(' ');
            request.method = head.substr(0, firstSpace);
            request.path =
                head.substr(firstSpace + 1, head.find(' ', firstSpace + 1) - firstSpace - 1);
            request.userAgent = header(head, "user-agent");
            request.contentType = header(head, "content-type");
            const size_t length = size_t(std::atoi(header(head, "content-length").c_str()));
            pending.erase(0, headerEnd + 4);
            while (pending.size() < length) {
                const int got = recv(client, buffer, sizeof buffer, 0);
                if (got <= 0)
                    return;
                pending.append(buffer, size_t(got));
            }
            request.body = pending.substr(0, length);
            pending.erase(0, length);
            {
                std::lock_guard<std::mutex> guard(lock_);
                requests_.push_back(request);
            }
            if (answer_ == Answer::Never)
                continue; // keeps reading; the client waits for an answer in vain
            const char* reply = answer_ == Answer::Ok
                                    ? "HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\n"
                                      "Content-Length: 0\r\n\r\n"
                                    : "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\n"
                                      "Content-Length: 9\r\n\r\nnot found";
            send(client, reply, int(strlen(reply)), 0);
        }
    }

    static std::string header(const std::string& head, const char* name) {
        std::string lower = head;
        for (char& c : lower)
            c = char(tolower(static_cast<unsigned char>(c)));
        const std::string key = std::string("\r\n") + name + ":";
        const size_t at = lower.find(key);
        if (at == std::string::npos)
            return std::string();
        size_t start = at + key.size();
        while (start < head.size() && head[start] == ' ')
            ++start;
        return head.substr(start, head.find("\r\n", start) - start);
    }

    Answer answer_ = Answer::Ok;
    bool started_ = false;
    volatile bool stopping_ = false;
    std::mutex lock_;
    SOCKET listener_ = INVALID_SOCKET;
    SOCKET client_ = INVALID_SOCKET;
    HANDLE thread_ = nullptr;
    unsigned short port_ = 0;
    std::vector<CollectedRequest> requests_;
};

} // namespace vorn
