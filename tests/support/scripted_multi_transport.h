#pragma once
// A side-by-side transport for the logic's tests that needs no server: answers from a table by
// "host path", one per Wait, with the body when the request keeps it.

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/interfaces.h"

namespace qm::testing {

inline HttpAnswer Answer(int status, std::vector<std::pair<std::string, std::string>> headers = {},
                         std::string body = {}) {
    HttpAnswer answer;
    answer.status = status;
    answer.headers = std::move(headers);
    answer.body = std::move(body);
    return answer;
}

// Wait hands over one answer at a time and records how many requests were outstanding.
class ScriptedMultiTransport : public HttpMultiTransport {
  public:
    std::map<std::string, HttpAnswer> answers;
    std::vector<HttpRequest> requests;
    size_t mostOutstanding = 0;
    bool cancelled = false;
    std::function<void(const std::string&)> onAnswer;

    void Add(uint64_t id, const HttpRequest& request) override {
        requests.push_back(request);
        queue_.push_back({id, request});
        mostOutstanding = std::max(mostOutstanding, queue_.size());
    }
    std::vector<HttpAnswer> Wait(const bool* abortFlag) override {
        if (queue_.empty() || (abortFlag && *abortFlag)) return {};
        auto [id, request] = queue_.front();
        queue_.erase(queue_.begin());
        const std::string key = request.host + " " + request.objectName;
        HttpAnswer answer = answers.count(key) ? answers[key] : Answer(404);
        answer.id = id;
        answer.bodyKept = request.keepBody && answer.status >= 200 && answer.status <= 299 &&
                          request.keepBody(answer.Header("Content-Type"));
        if (!answer.bodyKept) answer.body.clear();
        answer.bodyBytes = answer.body.size();
        if (answer.bodyKept && request.bodySink) {
            answer.bodyCut = answer.bodyCut || !request.bodySink(answer.body);
            answer.body.clear();
        }
        if (onAnswer) onAnswer(key);
        return {answer};
    }
    void Cancel() override {
        cancelled = true;
        queue_.clear(); // as the real transport ends every request
    }

  private:
    std::vector<std::pair<uint64_t, HttpRequest>> queue_;
};

} // namespace qm::testing
