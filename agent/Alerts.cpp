// SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "Alerts.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <map>
#include <mutex>
#include <pthread.h>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "Folder.h"
#include "Security.h"
#include "file.h"

namespace {

constexpr std::size_t MaxConfigFile = 64 * 1024;
constexpr const char* SpoolHeader = "corvanta-alerts 1";

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> Words(const std::string& text, const char* separators = " \t") {
    std::vector<std::string> words;
    std::size_t at = 0;
    while ((at = text.find_first_not_of(separators, at)) != std::string::npos) {
        const std::size_t end = text.find_first_of(separators, at);
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

// scheme://host...: the host must be there; the rest is the server's
// business. Empty when fine, else what is wrong.
std::string UrlProblem(const std::string& url, std::initializer_list<const char*> schemes,
                       const std::string& expected) {
    for (const char* scheme : schemes) {
        const std::string prefix = std::string(scheme) + "://";
        if (!url.starts_with(prefix) || url.find_first_of(" \t") != std::string::npos) continue;
        const std::string host =
            url.substr(prefix.size(), url.find_first_of("/?#", prefix.size()) - prefix.size());
        if (host.empty()) break;
        // The log and the spool name the URL: a password has no place in it.
        if (host.find('@') != std::string::npos)
            return "a user or password in the URL would show in the log: use token-file, or user "
                   "and password-file";
        return "";
    }
    return "expected " + expected + ", got '" + url + "'";
}

const char* TypeName(AlertChannel::Type t) {
    switch (t) {
    case AlertChannel::Type::Webhook:
        return "webhook";
    case AlertChannel::Type::Ntfy:
        return "ntfy";
    case AlertChannel::Type::Email:
        return "email";
    }
    return "";
}

// One section being read, with the lines its keys stood on.
struct Section {
    AlertChannel Channel;
    int Line = 0;
    std::map<std::string, int> Keys;
};

// What a finished section lacks; empty when complete.
std::string Missing(const Section& s) {
    const bool mail = s.Channel.Kind == AlertChannel::Type::Email;
    for (const char* key : {mail ? "server" : "url", "events"})
        if (!s.Keys.contains(key))
            return std::string("[") + TypeName(s.Channel.Kind) + "] needs " + key;
    if (mail && (s.Channel.From.empty() || s.Channel.To.empty()))
        return "[email] needs from and to";
    if (mail && s.Keys.contains("user") != s.Keys.contains("password-file"))
        return "[email]: user and password-file go together";
    return "";
}

// Spool fields: tabs and line ends inside a field are escaped.
std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '\t' || c == '\n' || c == '\r') {
            out += '\\';
            c = c == '\t' ? 't' : c == '\n' ? 'n' : c == '\r' ? 'r' : c;
        }
        out += c;
    }
    return out;
}

bool Unescaped(const std::string& text, std::string* out) {
    out->clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\') {
            if (++i == text.size()) return false;
            c = text[i] == 't' ? '\t' : text[i] == 'n' ? '\n' : text[i] == 'r' ? '\r' : text[i];
        }
        *out += c;
    }
    return true;
}

template <class T> bool Number(const std::string& text, T* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    if constexpr (std::is_floating_point_v<T>)
        *out = static_cast<T>(std::strtod(text.c_str(), &end));
    else
        *out = static_cast<T>(std::strtoll(text.c_str(), &end, 10));
    return errno == 0 && *end == 0;
}

template <class T> bool Optional(const std::string& text, std::optional<T>* out) {
    if (text == "-") return true;
    T value{};
    if (!Number(text, &value)) return false;
    *out = value;
    return true;
}

template <class T> std::string Shown(const std::optional<T>& v) {
    if (!v) return "-";
    std::ostringstream out;
    out << *v;
    return out.str();
}

} // namespace

std::string AlertChannel::Name() const {
    return std::string(TypeName(Kind)) + " " + Url;
}

bool ParseAlertsConfig(const std::string& text, const std::string& path, AlertsConfig* out,
                       std::string* error) {
    AlertsConfig config;
    std::optional<Section> section;
    int number = 0;
    auto refuse = [&](int line, const std::string& why) {
        *error = ShownPath(path) + ":" + std::to_string(line) + ": " + why;
        return false;
    };
    auto finish = [&]() {
        if (!section) return true;
        if (const std::string why = Missing(*section); !why.empty())
            return refuse(section->Line, why);
        config.Channels.push_back(std::move(section->Channel));
        return true;
    };
    std::istringstream in(text);
    for (std::string raw; std::getline(in, raw);) {
        ++number;
        // A comment starts a line or follows a blank: a URL may hold '#'.
        std::string line = raw;
        for (std::size_t at = 0; (at = line.find('#', at)) != std::string::npos; ++at)
            if (at == 0 || line[at - 1] == ' ' || line[at - 1] == '\t') {
                line.resize(at);
                break;
            }
        line = Trimmed(line);
        if (line.empty()) continue;
        if (line.front() == '[') {
            if (!finish()) return false;
            const std::string name = line.back() == ']' ? line.substr(1, line.size() - 2) : "";
            section = Section{{}, number, {}};
            if (name == "webhook" || name == "ntfy" || name == "email")
                section->Channel.Kind = name == "webhook" ? AlertChannel::Type::Webhook
                                        : name == "ntfy"  ? AlertChannel::Type::Ntfy
                                                          : AlertChannel::Type::Email;
            else
                return refuse(number, "unknown section " + line + " (webhook, ntfy or email)");
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos) return refuse(number, "expected KEY = VALUE or [SECTION]");
        if (!section) return refuse(number, "a key before the first [SECTION]");
        const std::string key = Trimmed(line.substr(0, eq)), value = Trimmed(line.substr(eq + 1));
        AlertChannel& c = section->Channel;
        const bool mail = c.Kind == AlertChannel::Type::Email;
        const std::string where = std::string(" in [") + TypeName(c.Kind) + "]";
        if (!section->Keys.emplace(key, number).second)
            return refuse(number, key + " given twice" + where);
        if (value.empty()) return refuse(number, key + " has no value");
        if (key == (mail ? "server" : "url")) {
            const std::string problem =
                mail ? UrlProblem(value, {"smtp", "smtps"},
                                  "smtp://HOST[:PORT] or smtps://HOST[:PORT]")
                     : UrlProblem(value, {"http", "https"}, "an http:// or https:// URL");
            if (!problem.empty()) return refuse(number, problem);
            c.Url = value;
        } else if (key == "events") {
            for (const std::string& word : Words(value)) {
                if (word == "all") {
                    for (const EventKind& k : EventKinds())
                        c.Events.insert(k.Name);
                } else if (FindEventKind(word)) {
                    c.Events.insert(word);
                } else {
                    return refuse(number, "unknown event kind '" + word + "'");
                }
            }
        } else if (key == (mail ? "password-file" : "token-file")) {
            if (!ReadPasswordFile(value, &c.Secret, error)) return refuse(number, *error);
        } else if (key == "ca-file") {
            if (::access(value.c_str(), R_OK) != 0)
                return refuse(number, ShownPath(value) + " cannot be read");
            c.CaFile = value;
        } else if (mail && (key == "from" || key == "user")) {
            (key == "from" ? c.From : c.User) = value;
        } else if (mail && key == "to") {
            c.To = Words(value, " \t,");
        } else {
            return refuse(number, "unknown key '" + key + "'" + where);
        }
    }
    if (!finish()) return false;
    if (config.Channels.empty()) return refuse(number, "no [webhook], [ntfy] or [email] section");
    *out = std::move(config);
    return true;
}

bool LoadAlertsConfig(const std::string& path, AlertsConfig* out, std::string* error) {
    struct stat st {};
    const int fd = OpenForReadNoFollow(path, &st);
    if (fd < 0) {
        *error = ShownPath(path) + (errno == ELOOP ? " is a symbolic link" : " cannot be read");
        return false;
    }
    std::string why, text;
    if (!S_ISREG(st.st_mode))
        why = "is not a regular file";
    else if (!CheckOwnerAndMode(st, ::geteuid(), ::geteuid(), "the agent's user", &why))
        ;
    else if (static_cast<std::size_t>(st.st_size) > MaxConfigFile)
        why = "is too large";
    char buffer[4096];
    ssize_t n = 0;
    while (why.empty() && (n = ::read(fd, buffer, sizeof buffer)) > 0 &&
           text.size() <= MaxConfigFile)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    if (why.empty() && n < 0) why = "cannot be read";
    if (!why.empty()) {
        *error = ShownPath(path) + " " + why;
        return false;
    }
    return ParseAlertsConfig(text, path, out, error);
}

AlertQueue::AlertQueue(AlertsConfig config, AlertSender& sender, std::function<std::int64_t()> now,
                       std::string spool, const std::atomic<bool>* stop)
    : config_(std::move(config)), sender_(sender), now_(std::move(now)), spool_(std::move(spool)),
      stop_(stop), state_(config_.Channels.size()) {}

std::vector<std::size_t> AlertQueue::ChannelsFor(const std::string& kind,
                                                 const std::set<std::string>* named) const {
    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < config_.Channels.size(); ++i)
        if (config_.Channels[i].Events.contains(kind) &&
            (!named || named->contains(config_.Channels[i].Name())))
            chosen.push_back(i);
    return chosen;
}

void AlertQueue::Push(Pending p) {
    if (p.Channels.empty()) return;
    if (waiting_.size() >= Bound) {
        waiting_.pop_front();
        if (!std::exchange(behind_, true))
            reports_.emplace_back("Alerts fall behind: the oldest undelivered ones are dropped");
    }
    waiting_.push_back(std::move(p));
}

void AlertQueue::Add(const AgentEvent& event) {
    Pending p{event, now_(), ChannelsFor(event.Kind, nullptr)};
    if (p.Channels.empty()) return;
    Push(std::move(p));
    WriteSpool();
}

std::int64_t AlertQueue::Work() {
    bool changed = false;
    // Past the limit: said once each, then let go.
    for (auto p = waiting_.begin(); p != waiting_.end();) {
        if (now_() - p->Queued < GiveUpAfter) {
            ++p;
            continue;
        }
        for (std::size_t c : p->Channels)
            reports_.push_back("Alert undelivered after 10 minutes to " +
                               config_.Channels[c].Name() + ": " + state_[c].LastError);
        p = waiting_.erase(p);
        changed = true;
    }
    // Each channel in the order of its events; one that fails waits its
    // turn again, the others go on.
    for (std::size_t c = 0; c < config_.Channels.size(); ++c) {
        ChannelState& s = state_[c];
        const AlertChannel& channel = config_.Channels[c];
        for (Pending& p : waiting_) {
            if (now_() < s.NextTry || (stop_ && *stop_)) break;
            const auto at = std::ranges::find(p.Channels, c);
            if (at == p.Channels.end()) continue;
            std::string error;
            if (sender_.Send(channel, p.Event, &error)) {
                p.Channels.erase(at);
                changed = true;
                s.Delay = 0;
                if (std::exchange(s.Failing, false))
                    reports_.push_back("Alerts to " + channel.Name() + " delivered again");
                continue;
            }
            if (stop_ && *stop_) break; // cut short, not failed
            s.LastError = error;
            s.Delay = std::clamp(s.Delay * 2, FirstRetry, LongestRetry);
            s.NextTry = now_() + s.Delay;
            if (!std::exchange(s.Failing, true))
                reports_.push_back("Alert to " + channel.Name() + " failed: " + error +
                                   " (trying again for up to 10 minutes)");
            break;
        }
    }
    std::erase_if(waiting_, [](const Pending& p) { return p.Channels.empty(); });
    if (waiting_.empty()) behind_ = false;
    if (changed) WriteSpool();
    std::int64_t next = -1;
    for (const Pending& p : waiting_) {
        std::int64_t due = p.Queued + GiveUpAfter;
        for (std::size_t c : p.Channels)
            due = std::min(due, state_[c].NextTry);
        next = next < 0 ? due : std::min(next, due);
    }
    return next;
}

void AlertQueue::WriteSpool() {
    if (waiting_.empty()) {
        ::unlink(spool_.c_str());
        return;
    }
    // Newest first, so the bound drops the oldest.
    std::vector<std::string> lines;
    std::size_t size = std::string(SpoolHeader).size() + 1, kept = 0;
    for (auto p = waiting_.rbegin(); p != waiting_.rend(); ++p, ++kept) {
        const AgentEvent& e = p->Event;
        std::string line = std::to_string(p->Queued) + "\t" + std::to_string(e.Time) + "\t" +
                           e.Kind + "\t" + Shown(e.Charge) + "\t" + Shown(e.Runtime) + "\t" +
                           Shown(e.Load) + "\t" + Escaped(e.Ups) + "\t" + Escaped(e.Message);
        for (std::size_t c : p->Channels)
            line += "\t" + Escaped(config_.Channels[c].Name());
        if (size + line.size() + 1 > SpoolBound) break;
        size += line.size() + 1;
        lines.push_back(std::move(line));
    }
    if (kept < waiting_.size()) {
        waiting_.erase(waiting_.begin(), waiting_.end() - static_cast<std::ptrdiff_t>(kept));
        if (!std::exchange(behind_, true))
            reports_.emplace_back("Alerts fall behind: the oldest undelivered ones are dropped");
    }
    std::string text = std::string(SpoolHeader) + "\n";
    for (auto l = lines.rbegin(); l != lines.rend(); ++l)
        text += *l + "\n";
    // Flushed: the spool matters most when the power is about to go.
    if (!ReplaceOwnFile(spool_, text.data(), text.size(), true))
        reports_.push_back("Alert spool: " + CannotWrite(spool_));
}

void AlertQueue::LoadSpool() {
    struct stat st {};
    const int fd = OpenForReadNoFollow(spool_, &st);
    if (fd < 0 && errno == ENOENT) return;
    std::string why, text;
    if (fd < 0)
        why = errno == ELOOP ? "is a symbolic link" : "cannot be read";
    else if (!S_ISREG(st.st_mode))
        why = "is not a regular file";
    else if (st.st_uid != ::geteuid())
        why = "belongs to user " + std::to_string(st.st_uid) + ", not to the agent's";
    else if (st.st_mode & (S_IWGRP | S_IWOTH))
        why = "is writable by other users";
    else if (static_cast<std::size_t>(st.st_size) > SpoolBound)
        why = "is too large";
    char buffer[4096];
    ssize_t n = 0;
    while (why.empty() && (n = ::read(fd, buffer, sizeof buffer)) > 0 && text.size() <= SpoolBound)
        text.append(buffer, static_cast<std::size_t>(n));
    if (fd >= 0) ::close(fd);
    std::deque<Pending> loaded;
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; why.empty() && std::getline(in, line);)
        lines.push_back(line);
    if (why.empty() && (lines.empty() || lines[0] != SpoolHeader || lines.size() > Bound + 1 ||
                        text.size() > SpoolBound))
        why = "is not a spool of alerts";
    for (std::size_t i = 1; why.empty() && i < lines.size(); ++i) {
        std::vector<std::string> f;
        std::size_t at = 0;
        for (std::size_t tab; (tab = lines[i].find('\t', at)) != std::string::npos; at = tab + 1)
            f.push_back(lines[i].substr(at, tab - at));
        f.push_back(lines[i].substr(at));
        Pending p;
        AgentEvent& e = p.Event;
        std::set<std::string> named;
        bool ok = f.size() >= 9 && Number(f[0], &p.Queued) && Number(f[1], &e.Time) &&
                  FindEventKind(f[2]) && Optional(f[3], &e.Charge) && Optional(f[4], &e.Runtime) &&
                  Optional(f[5], &e.Load) && Unescaped(f[6], &e.Ups) && Unescaped(f[7], &e.Message);
        e.Kind = f.size() > 2 ? f[2] : "";
        for (std::size_t k = 8; ok && k < f.size(); ++k) {
            std::string name;
            ok = Unescaped(f[k], &name);
            named.insert(name);
        }
        if (!ok) {
            why = "is malformed on line " + std::to_string(i + 1);
            break;
        }
        // The file only narrows the choice: the destinations are today's.
        p.Channels = ChannelsFor(e.Kind, &named);
        if (!p.Channels.empty()) loaded.push_back(std::move(p));
    }
    if (!why.empty()) {
        reports_.push_back("Alert spool ignored: " + ShownPath(spool_) + " " + why);
        ::unlink(spool_.c_str());
        return;
    }
    const std::int64_t now = now_();
    for (Pending& p : loaded) {
        if (now - p.Queued >= GiveUpAfter) {
            for (std::size_t c : p.Channels)
                reports_.push_back("Alert undelivered after 10 minutes to " +
                                   config_.Channels[c].Name() + ": the agent was not running (" +
                                   p.Event.Message + ")");
        } else {
            Push(std::move(p));
        }
    }
    WriteSpool();
}

namespace {

std::int64_t WallMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// What the agent's thread and the alert thread share.
struct Shared {
    std::mutex Lock;
    std::condition_variable Wake;
    std::deque<AgentEvent> Inbox;
    bool Stopping = false, Done = false;
    std::atomic<bool> Abort{false};
    std::vector<std::string> Reports;
};

void Deliver(const std::shared_ptr<Shared>& shared, AlertsConfig config,
             const std::unique_ptr<AlertSender>& sender) {
    AlertQueue queue(std::move(config), *sender, WallMilliseconds, FolderFile(AlertsSpoolName),
                     &shared->Abort);
    queue.LoadSpool();
    std::int64_t next = 0;
    for (bool last = false; !last;) {
        std::deque<AgentEvent> events;
        {
            std::unique_lock hold(shared->Lock);
            const auto ready = [&] { return shared->Stopping || !shared->Inbox.empty(); };
            if (next < 0)
                shared->Wake.wait(hold, ready);
            else
                shared->Wake.wait_until(
                    hold, std::chrono::system_clock::time_point(std::chrono::milliseconds(next)),
                    ready);
            events.swap(shared->Inbox);
            last = shared->Stopping;
            std::ranges::move(queue.TakeReports(), std::back_inserter(shared->Reports));
        }
        // At the end, what came last is spooled and what is due tried once.
        for (const AgentEvent& e : events)
            queue.Add(e);
        next = queue.Work();
        std::lock_guard hold(shared->Lock);
        std::ranges::move(queue.TakeReports(), std::back_inserter(shared->Reports));
    }
    std::lock_guard hold(shared->Lock);
    shared->Done = true;
    shared->Wake.notify_all();
}

class Alerts final : public Integration {
  public:
    explicit Alerts(AlertsConfig config) : shared_(std::make_shared<Shared>()) {
        // Signals are the main loop's business: the thread blocks them all.
        sigset_t all, old;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &old);
        worker_ = std::thread([shared = shared_, config = std::move(config),
                               sender = MakeCurlSender(&shared_->Abort)]() mutable {
            Deliver(shared, std::move(config), sender);
        });
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
    }
    ~Alerts() override { Alerts::Stop(300); }
    Alerts(const Alerts&) = delete;
    Alerts& operator=(const Alerts&) = delete;

    void OnEvent(const AgentEvent& event) override {
        std::lock_guard hold(shared_->Lock);
        if (shared_->Stopping) return;
        shared_->Inbox.push_back(event);
        shared_->Wake.notify_all();
    }

    std::vector<std::string> TakeReports() override {
        std::lock_guard hold(shared_->Lock);
        return std::exchange(shared_->Reports, {});
    }

    void Stop(int ms) override {
        if (!worker_.joinable()) return;
        using std::chrono::milliseconds;
        const auto end = std::chrono::steady_clock::now() + milliseconds(ms);
        std::unique_lock hold(shared_->Lock);
        shared_->Stopping = true;
        shared_->Wake.notify_all();
        // Two thirds of the time for a delivery under way, then it is cut.
        auto done = [&] { return shared_->Done; };
        if (!shared_->Wake.wait_until(hold, end - milliseconds(ms / 3), done)) {
            shared_->Abort = true;
            shared_->Wake.wait_until(hold, end, done);
        }
        const bool finished = shared_->Done;
        hold.unlock();
        if (finished)
            worker_.join();
        else
            worker_.detach(); // a server that hangs keeps the thread, not the agent
    }

  private:
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
};

} // namespace

std::unique_ptr<Integration> MakeAlerts(AlertsConfig config) {
    return std::make_unique<Alerts>(std::move(config));
}
