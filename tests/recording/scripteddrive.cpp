#include "scripteddrive.h"

#include <cerrno>
#include <chrono>

#include "recording/burnlib.h"

namespace mg::test {
namespace {

constexpr int64_t kBlock = 2048;
constexpr int kLongOperationLooks = 8;  // polls an erase or a format takes

enum class Operation { None, Erase, Format, Write };

// What the drive's worker holds while it writes; after the drive is lost it goes on
// touching this for a while, as libburn's worker does after marking the drive idle.
struct WorkerJob {
  burn::burn_source* source = nullptr;
  std::atomic<long> touches{0};
  ~WorkerJob() {
    if (source) burn::burn_source_free(source);
  }
};

class ScriptedDrive : public Drive {
 public:
  ScriptedDrive(ScriptedLayer& layer, ScriptedDisc& disc) : layer_(layer), disc_(disc) {}
  ~ScriptedDrive() override {
    if (lost_) layer_.Note("destroyed while the worker runs");
    // Like libburn's objects, the job is freed whatever the worker still does.
    if (worker_.joinable()) worker_.detach();
    delete job_;
  }

  std::string Vendor() const override { return layer_.script.vendor; }
  std::string Product() const override { return layer_.script.product; }
  bool IsImageFile() const override { return false; }
  DiscStatus Status() override {
    if (lost_) return DiscStatus::Unsuitable;
    return disc_.unreadyLooks > 0 ? DiscStatus::Unready : disc_.status;
  }
  void ReAssess() override {
    layer_.Note("reassess");
    if (disc_.unreadyLooks > 0) --disc_.unreadyLooks;
  }
  int Profile(std::string& name) override {
    name = disc_.profileName;
    return disc_.profile;
  }
  bool Erasable() override { return disc_.erasable; }
  FormatState Formats() override { return disc_.formats; }
  int64_t AvailableSpace() override { return disc_.capacity; }
  void StartErase(bool fast) override {
    layer_.Note(fast ? "erase fast" : "erase full");
    Start(Operation::Erase, kLongOperationLooks);
  }
  void StartFormat() override {
    layer_.Note("format");
    Start(Operation::Format, kLongOperationLooks);
  }
  bool StartWrite(const WriteRequest& request) override {
    layer_.Note("write" + (request.tailBytes ? " tail " + std::to_string(request.tailBytes / kBlock)
                                             : std::string()));
    layer_.written.clear();
    delete job_;
    job_ = new WorkerJob;
    job_->source = burnlib::ToBurn(request.source);
    ++job_->source->refcount;
    const int64_t size = job_->source->get_size(job_->source);
    Start(Operation::Write, (size + request.tailBytes + kBlock - 1) / kBlock);
    tail_ = request.tailBytes;
    return true;
  }

  DriveActivity Activity(int64_t& done, int64_t& total) override {
    done = done_;
    total = total_;
    switch (op_) {
      case Operation::None:
        return DriveActivity::Idle;
      case Operation::Write:
        return WriteStep(done, total);
      case Operation::Erase:
      case Operation::Format:
        break;
    }
    done = ++done_;
    if (done_ < total_)
      return op_ == Operation::Erase ? DriveActivity::Erasing : DriveActivity::Formatting;
    const bool works = op_ == Operation::Erase ? disc_.eraseWorks : disc_.formatWorks;
    if (works) {
      disc_.status = DiscStatus::Blank;
      if (op_ == Operation::Format) disc_.formats = FormatState::Formatted;
    } else {
      wroteWell_ = false;
      layer_.Queue({0x00020130, 0, "SORRY", "Drive and media state unsuitable for blanking"});
    }
    op_ = Operation::None;
    return DriveActivity::Idle;
  }
  bool WroteWell() override { return wroteWell_; }
  void Cancel() override { layer_.Note("cancel"); }
  void SetSpeed(int) override {}
  bool Read(int64_t offset, char* buffer, int64_t size) override {
    const std::string& w = layer_.written;
    if (lost_ || offset < 0 || size < 0 || offset + size > static_cast<int64_t>(w.size())) {
      return false;
    }
    w.copy(buffer, static_cast<size_t>(size), static_cast<size_t>(offset));
    return true;
  }
  bool Settled() override { return !lost_; }
  void Release(bool eject) override {
    layer_.Note(lost_ ? "release of a lost drive" : eject ? "eject" : "release");
  }

 private:
  void Start(Operation op, int64_t total) {
    op_ = op;
    done_ = 0;
    total_ = total;
    wroteWell_ = true;
  }

  DriveActivity WriteStep(int64_t& done, int64_t& total) {
    // One sector a call, as libburn reads: a source may give nothing for a request
    // that reaches past its end.
    unsigned char buf[kBlock];
    burn::burn_source* s = job_->source;
    int n = 0;
    for (int i = 0; i < 32; ++i) {
      n = s->version >= 1 && s->read_xt ? s->read_xt(s, buf, sizeof buf)
                                        : s->read(s, buf, sizeof buf);
      if (n <= 0) break;
      layer_.written.append(reinterpret_cast<char*>(buf), static_cast<size_t>(n));
    }
    done = done_ = static_cast<int64_t>(layer_.written.size()) / kBlock;
    total = total_;
    const int percent = total_ > 0 ? static_cast<int>(done_ * 100 / total_) : 100;
    if (layer_.script.loseAtPercent >= 0 && percent >= layer_.script.loseAtPercent) {
      Lose();
      return DriveActivity::Idle;
    }
    if (n > 0) return DriveActivity::Writing;
    layer_.written.append(static_cast<size_t>(tail_), '\0');
    op_ = Operation::None;
    if (!layer_.script.writeWorks) {
      wroteWell_ = false;
      for (const DriveMessage& m : layer_.script.writeMessages) layer_.Queue(m);
    }
    return DriveActivity::Idle;
  }

  // The drive is gone: libburn marks it idle and says so, while its worker is still
  // on its way out, touching the job.
  void Lose() {
    lost_ = true;
    wroteWell_ = false;
    op_ = Operation::None;
    layer_.Note("lost");
    layer_.Queue({0x0002010c, 0, "FATAL", "Failed to transfer command to drive"});
    WorkerJob* job = job_;
    worker_ = std::thread([job] {
      for (;;) {
        job->touches.fetch_add(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    });
  }

  ScriptedLayer& layer_;
  ScriptedDisc& disc_;
  Operation op_ = Operation::None;
  int64_t done_ = 0, total_ = 0, tail_ = 0;
  bool wroteWell_ = true;
  bool lost_ = false;
  WorkerJob* job_ = nullptr;
  std::thread worker_;
};

}  // namespace

ScriptedLayer::ScriptedLayer(DriveScript s) : script(std::move(s)) {}
ScriptedLayer::~ScriptedLayer() = default;

std::vector<ScannedDrive> ScriptedLayer::Scan() {
  Note("scan");
  return {{script.address, script.vendor, script.product}};
}

std::unique_ptr<Drive> ScriptedLayer::Grab(const std::string& address) {
  Note("grab " + address);
  if (script.busyGrabs > 0) {
    --script.busyGrabs;
    Queue({0x00020008, EBUSY, "SORRY", "Device busy. Failed to fcntl-lock"});
    Queue({0x00020003, 0, "SORRY", "Could not grab drive"});
    return nullptr;
  }
  if (grabs++ > 0 && disc + 1 < script.discs.size()) ++disc;
  return std::make_unique<ScriptedDrive>(*this, script.discs[disc]);
}

bool ScriptedLayer::TakeMessage(DriveMessage& message) {
  if (messages_.empty()) return false;
  message = messages_.front();
  messages_.erase(messages_.begin());
  return true;
}

void ScriptedLayer::DropMessages() { messages_.clear(); }

bool InOrder(const std::vector<std::string>& calls, const std::vector<std::string>& wanted,
             std::string& missing) {
  size_t at = 0;
  for (const std::string& w : wanted) {
    while (at < calls.size() && calls[at] != w) ++at;
    if (at == calls.size()) {
      missing = w;
      return false;
    }
    ++at;
  }
  return true;
}

}  // namespace mg::test
