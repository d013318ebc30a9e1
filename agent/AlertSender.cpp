// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The alerts' deliveries over libcurl: an HTTP(S) POST for webhooks and
// ntfy, SMTP with TLS for e-mail. Each is bounded in time and gives up soon
// when the agent ends.
#include <algorithm>
#include <ctime>
#include <curl/curl.h>
#include <mutex>

#include "Alerts.h"
#include "NetModule.h"

namespace {

constexpr long ConnectTimeout = 10; // seconds
constexpr long TotalTimeout = 30;

// A header's or subject's value: a line end in a UPS's name must not start
// a header of its own.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < ' ' || c == 0x7F) c = ' ';
    return text;
}

std::string Title(const AgentEvent& e) {
    const EventKind* k = FindEventKind(e.Kind);
    return OneLine("UPS " + e.Ups + ": " + (k ? k->Title : e.Kind));
}

std::string WebhookJson(const AgentEvent& e) {
    return "{\"event\":" + JsonQuoted(e.Kind) + ",\"message\":" + JsonQuoted(e.Message) +
           ",\"time\":" + JsonQuoted(LocalIsoTime(e.Time)) + ",\"ups\":" + JsonQuoted(e.Ups) +
           ",\"charge\":" + (e.Charge ? EventFigure(*e.Charge) : "null") +
           ",\"runtime\":" + (e.Runtime ? std::to_string(*e.Runtime) : "null") +
           ",\"load\":" + (e.Load ? EventFigure(*e.Load) : "null") + "}";
}

std::string MailText(const AlertChannel& c, const AgentEvent& e) {
    const auto t = static_cast<std::time_t>(e.Time);
    std::tm tm{};
    char date[64] = "";
    if (::localtime_r(&t, &tm)) std::strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S %z", &tm);
    std::string to;
    for (const std::string& address : c.To)
        to += (to.empty() ? "" : ", ") + address;
    std::string text = "Date: " + std::string(date) + "\r\nFrom: " + OneLine(c.From) +
                       "\r\nTo: " + OneLine(to) + "\r\nSubject: " + Title(e) +
                       "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" +
                       OneLine(e.Message) + "\r\n\r\nEvent: " + e.Kind +
                       "\r\nTime: " + LocalIsoTime(e.Time) + "\r\nUPS: " + OneLine(e.Ups) + "\r\n";
    if (e.Charge) text += "Charge: " + EventFigure(*e.Charge) + " %\r\n";
    if (e.Runtime) text += "Runtime: " + std::to_string(*e.Runtime) + " s\r\n";
    if (e.Load) text += "Load: " + EventFigure(*e.Load) + " %\r\n";
    return text;
}

struct Upload {
    const std::string* Text;
    std::size_t Sent = 0;
};

std::size_t Read(char* buffer, std::size_t size, std::size_t count, void* data) {
    auto* u = static_cast<Upload*>(data);
    const std::size_t n = std::min(size * count, u->Text->size() - u->Sent);
    std::copy_n(u->Text->data() + u->Sent, n, buffer);
    u->Sent += n;
    return n;
}

std::size_t Discard(char*, std::size_t size, std::size_t count, void*) {
    return size * count;
}

int Progress(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::atomic<bool>*>(stop)->load() ? 1 : 0;
}

class CurlSender final : public AlertSender {
  public:
    explicit CurlSender(const std::atomic<bool>* stop) : stop_(stop) {}

    bool Send(const AlertChannel& c, const AgentEvent& e, std::string* error) override {
        CURL* curl = curl_easy_init();
        if (!curl) return *error = "cannot start libcurl", false;
        char message[CURL_ERROR_SIZE] = "";
        curl_slist* headers = nullptr;
        const bool mail = c.Kind == AlertChannel::Type::Email;
        std::string body;
        Upload upload{&body};
        curl_easy_setopt(curl, CURLOPT_URL, c.Url.c_str());
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, mail ? "smtp,smtps" : "http,https");
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, ConnectTimeout);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, TotalTimeout);
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, message);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, stop_);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
        if (!c.CaFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, c.CaFile.c_str());
        if (mail) {
            body = MailText(c, e);
            // smtp:// must turn to TLS (STARTTLS) before the login; smtps:// starts with it.
            curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
            if (!c.User.empty()) {
                curl_easy_setopt(curl, CURLOPT_USERNAME, c.User.c_str());
                curl_easy_setopt(curl, CURLOPT_PASSWORD, c.Secret.c_str());
            }
            const std::string from = "<" + c.From + ">";
            curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.c_str());
            for (const std::string& to : c.To)
                headers = curl_slist_append(headers, ("<" + to + ">").c_str());
            curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, headers);
            curl_easy_setopt(curl, CURLOPT_READFUNCTION, Read);
            curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
            curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
            curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(body.size()));
        } else {
            if (c.Kind == AlertChannel::Type::Webhook) {
                body = WebhookJson(e);
                headers = curl_slist_append(headers, "Content-Type: application/json");
            } else {
                const EventKind* k = FindEventKind(e.Kind);
                body = e.Message;
                headers = curl_slist_append(headers, "Content-Type: text/plain; charset=utf-8");
                headers = curl_slist_append(headers, ("Title: " + Title(e)).c_str());
                headers = curl_slist_append(headers, k && k->Urgent ? "Priority: urgent"
                                                                    : "Priority: default");
                headers = curl_slist_append(headers,
                                            ("Tags: " + std::string(k ? k->Tag : "bell")).c_str());
            }
            if (!c.Secret.empty())
                headers = curl_slist_append(headers, ("Authorization: Bearer " + c.Secret).c_str());
            curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
            curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
        }
        const CURLcode rc = curl_easy_perform(curl);
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        curl_slist_free_all(headers);
        curl_easy_cleanup(curl);
        if (rc != CURLE_OK) {
            *error = message[0] ? message : curl_easy_strerror(rc);
            return false;
        }
        if (!mail && status >= 300) {
            *error = "HTTP status " + std::to_string(status);
            return false;
        }
        return true;
    }

  private:
    const std::atomic<bool>* stop_;
};

} // namespace

std::unique_ptr<AlertSender> NetMakeCurlSender(const std::atomic<bool>* stop) {
    // Once, and before the alert thread starts: older libcurls must not
    // set up beside another thread's use.
    static std::once_flag init;
    std::call_once(init, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    return std::make_unique<CurlSender>(stop);
}

extern "C" {
extern const AlertsModule corvanta_alerts_module;
const AlertsModule corvanta_alerts_module = {NetModuleVersion, NetMakeCurlSender};
}
