#pragma once
// The feedback report's sender: the network component's SendFeedback, called
// directly (no fallback), with the document whole.

#include "core/update_service.hpp"
#include "maintenance/feedback_report.hpp"

namespace velkor {

class NetworkFeedbackSender final : public FeedbackSender {
 public:
  explicit NetworkFeedbackSender(const CUpdateService& service) : m_Service(service) {}
  bool SendFeedback(const std::wstring& document) override { return m_Service.SendFeedback(document); }

 private:
  const CUpdateService& m_Service;
};

}  // namespace velkor
