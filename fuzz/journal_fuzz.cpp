// The journal of a teacher's rewrite, judged beside a log: the first two
// bytes give the log's length, the log's bytes follow, the journal is the
// rest. Whatever the bytes, the judgement never restores from a journal
// that does not decode, never keeps aside a journal the log already holds
// whole, and a decoded journal encodes back to one that decodes the same.

#include "fuzz/fuzzinput.h"
#include "results/logjournal.h"

using namespace minatori;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2) return 0;
  const size_t logSize = std::min<size_t>(size - 2, data[0] | (data[1] << 8));
  const QByteArray log = fuzz::bytesOf(data + 2, logSize);
  const QByteArray journal = fuzz::bytesOf(data + 2 + logSize, size - 2 - logSize);
  const RecoveryPlan plan = planRecovery(log, journal);
  const std::optional<Journal> decoded = decodeJournal(journal);
  fuzz::check(decoded.has_value() == plan.journal.has_value(), "the plan decodes as decodeJournal does");
  if (!decoded) {
    fuzz::check(plan.action != RecoveryAction::Restore, "only a journal that decodes is applied");
    return 0;
  }
  fuzz::check(decoded->content.size() % 44 == 0, "a journal's content is whole records");
  if (log.startsWith(decoded->content))
    fuzz::check(plan.action == RecoveryAction::Remove, "a log holding the content whole needs nothing");
  const std::optional<Journal> again = decodeJournal(encodeJournal(*decoded));
  fuzz::check(again && again->content == decoded->content && again->deletedRecord == decoded->deletedRecord &&
                  again->state == decoded->state,
              "decode(encode(j)) is j");
  return 0;
}
