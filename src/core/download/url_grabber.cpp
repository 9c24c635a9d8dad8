#include "core/download/url_grabber.h"

#include "core/text/ascii_text.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <new>
#include <thread>

namespace vendrel {

void GrabberState::setRunning(bool running)
{
    {
        const std::lock_guard lock(mutex_);
        running_ = running;
    }
    ended_.notify_all();
}

bool GrabberState::waitUntilEnded(int milliseconds)
{
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return !running_; });
}

void GrabberBody::expect(std::uint64_t length)
{
    const std::uint64_t room = std::min(length, limit_);
    if (room > capacity_)
        reallocate(static_cast<std::size_t>(room));
}

bool GrabberBody::append(std::string_view bytes)
{
    if (bytes.size() > limit_ - size_)
        return false;
    const std::size_t needed = size_ + bytes.size();
    if (needed > capacity_) {
        // Doubling keeps the number of moves small; the limit caps the last step.
        const std::uint64_t doubled = std::max<std::uint64_t>(std::uint64_t{capacity_} * 2, 64 * 1024);
        reallocate(static_cast<std::size_t>(std::min(limit_, std::max<std::uint64_t>(doubled, needed))));
    }
    std::copy(bytes.begin(), bytes.end(), data_ + size_);
    size_ = needed;
    return true;
}

void GrabberBody::reallocate(std::size_t capacity)
{
    void* grown = std::realloc(data_, capacity);
    if (!grown)
        throw std::bad_alloc();
    data_ = static_cast<char*>(grown);
    capacity_ = capacity;
}

void GrabberBody::release()
{
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
    capacity_ = 0;
}

CustomUrlGrabberThread::CustomUrlGrabberThread(CustomUrlGrabber& owner, std::shared_ptr<GrabberState> state)
    : owner_(owner), state_(std::move(state)), dispatcher_(owner.dispatcher_), url_(owner.Url()),
      fileName_(owner.FileName), outputMode_(owner.OutputMode)
{
}

void CustomUrlGrabberThread::raise(const std::function<void(CustomUrlGrabber&)>& event)
{
    if (state_->abandoned)
        return;
    std::exception_ptr failure;
    dispatcher_([&] {
        // Runs on the owner's thread, where the grabber can only go away between events.
        if (state_->abandoned)
            return;
        try {
            event(owner_);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (failure)
        std::rethrow_exception(failure);
}

void CustomUrlGrabberThread::raiseError()
{
    raise([this](CustomUrlGrabber& grabber) {
        state_->status = GrabberStatus::Stopped;
        if (grabber.OnError)
            grabber.OnError(grabber, ErrorText);
    });
}

void CustomUrlGrabberThread::raiseProgress()
{
    raise([this](CustomUrlGrabber& grabber) {
        bool keepGoing = true;
        if (grabber.OnProgress)
            grabber.OnProgress(grabber, state_->bytesRead, state_->totalSize, url_, keepGoing);
    });
}

void CustomUrlGrabberThread::notifyStatus(int code)
{
    state_->lastStatusCode = code;
    raiseProgress();
    raise([code](CustomUrlGrabber& grabber) {
        if (grabber.OnStatusChange)
            grabber.OnStatusChange(grabber);
        grabber.raiseStatusEvent(code);
    });
}

CustomUrlGrabber::CustomUrlGrabber(EventDispatcher dispatcher)
    : dispatcher_(std::move(dispatcher)), state_(std::make_shared<GrabberState>())
{
}

CustomUrlGrabber::~CustomUrlGrabber()
{
    state_->abandoned = true;
    Stop();
}

void CustomUrlGrabber::setUrl(const std::string& url)
{
    if (status() != GrabberStatus::Stopped)
        throw GrabberNotStopped();
    std::string_view rest = url;
    if (rest.size() >= 7 && equalsIgnoringAsciiCase(rest.substr(0, 7), "http://"))
        rest.remove_prefix(7);
    const std::size_t slash = rest.find('/');
    const std::string_view host = rest.substr(0, slash);
    const std::string_view path = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    url_ = "http://";
    if (!host.empty())
        url_.append(host).append("/");
    url_.append(path);
}

void CustomUrlGrabber::Start()
{
    Stop();
    state_ = std::make_shared<GrabberState>();
    state_->setRunning(true);
    std::unique_ptr<CustomUrlGrabberThread> worker = createThread(state_);
    std::thread([worker = std::move(worker), state = state_]() mutable {
        worker->Execute();
        worker.reset();
        state->setRunning(false);
    }).detach();
}

void CustomUrlGrabber::Stop()
{
    state_->endRequested = true;
}

void CustomUrlGrabber::raiseStatusEvent(int)
{
}

void ProxyingUrlGrabber::raiseStatusEvent(int code)
{
    namespace s = grabber_status;
    const Event* event = nullptr;
    switch (code) {
    case s::ResolvingName: event = &OnResolvingName; break;
    case s::NameResolved: event = &OnNameResolved; break;
    case s::ConnectingToServer: event = &OnConnectingToServer; break;
    case s::ConnectedToServer: event = &OnConnectedToServer; break;
    case s::SendingRequest: event = &OnSendingRequest; break;
    case s::RequestSent: event = &OnRequestSent; break;
    case s::ReceivingResponse: event = &OnReceivingResponse; break;
    case s::ResponseReceived: event = &OnResponseReceived; break;
    case s::ClosingConnection: event = &OnClosingConnection; break;
    case s::ConnectionClosed:
        if (OnConnectionClosed)
            OnConnectionClosed(*this);
        return;
    case s::RequestComplete: event = &OnRequestComplete; break;
    case s::Redirect: event = &OnRedirect; break;
    case s::StateChange:
        if (OnStatusChange)
            OnStatusChange(*this);
        return;
    default: return;
    }
    if (*event)
        (*event)(*this);
}

} // namespace vendrel
