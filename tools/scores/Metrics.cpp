#include "Metrics.h"

#include <cstdio>

namespace fusewick::scores {

void Metrics::Request(const std::string& call, int status) {
  std::lock_guard<std::mutex> hold(lock_);
  ++requests_[{call, status}];
}

void Metrics::Refusal(const std::string& reason) {
  std::lock_guard<std::mutex> hold(lock_);
  ++refusals_[reason];
}

std::string Metrics::Render(size_t connections, size_t storeQueue) {
  std::string out;
  auto metric = [&](const char* name, const char* type, const char* help) {
    out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
  };
  {
    std::lock_guard<std::mutex> hold(lock_);
    metric("fusewick_scores_requests_total", "counter", "Requests answered, by call and status.");
    for (const auto& [key, n] : requests_)
      out += "fusewick_scores_requests_total{call=\"" + key.first + "\",status=\"" + std::to_string(key.second) +
             "\"} " + std::to_string(n) + "\n";
    metric("fusewick_scores_refusals_total", "counter", "Requests and connections refused, by reason.");
    for (const auto& [reason, n] : refusals_)
      out += "fusewick_scores_refusals_total{reason=\"" + reason + "\"} " + std::to_string(n) + "\n";
  }
  metric("fusewick_scores_submissions_total", "counter", "Results stored by this process.");
  out += "fusewick_scores_submissions_total " + std::to_string(Stored.load()) + "\n";
  metric("fusewick_scores_rows_trimmed_total", "counter", "Result rows removed to keep the database within its bound.");
  out += "fusewick_scores_rows_trimmed_total " + std::to_string(RowsTrimmed.load()) + "\n";
  metric("fusewick_scores_results", "gauge", "Result rows in the database.");
  out += "fusewick_scores_results " + std::to_string(Rows.load()) + "\n";
  metric("fusewick_scores_database_bytes", "gauge", "Bytes the database takes.");
  out += "fusewick_scores_database_bytes " + std::to_string(DatabaseBytes.load()) + "\n";
  metric("fusewick_scores_connections", "gauge", "Open client connections.");
  out += "fusewick_scores_connections " + std::to_string(connections) + "\n";
  metric("fusewick_scores_store_queue", "gauge", "Store jobs waiting for a store thread.");
  out += "fusewick_scores_store_queue " + std::to_string(storeQueue) + "\n";
  metric("fusewick_scores_verification_queue_length", "gauge", "Recordings waiting to be verified or being verified.");
  out += "fusewick_scores_verification_queue_length " + std::to_string(VerifyQueue.load()) + "\n";
  metric("fusewick_scores_verification_seconds", "summary", "Time the re-simulation of a recording took.");
  char sum[32];
  std::snprintf(sum, sizeof sum, "%.3f", double(VerifyMicroseconds.load()) / 1e6);
  out += std::string("fusewick_scores_verification_seconds_sum ") + sum + "\n";
  out += "fusewick_scores_verification_seconds_count " + std::to_string(Verifications.load()) + "\n";
  metric("fusewick_scores_verifications_total", "counter", "Recordings verified by this process, by outcome.");
  out += "fusewick_scores_verifications_total{outcome=\"verified\"} " + std::to_string(Verified.load()) + "\n";
  out += "fusewick_scores_verifications_total{outcome=\"refused\"} " +
         std::to_string(Verifications.load() - Verified.load()) + "\n";
  return out;
}

}  // namespace fusewick::scores
