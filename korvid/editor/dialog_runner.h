#pragma once
// How a page shows its modal dialogs. The application runs a real window bound to the dialog model;
// tests play the user on the model. Each hook returns true when the dialog closed with OK (the model
// then holds the result) and false for Cancel. A hook that is not set behaves as Cancel.
#include <functional>

namespace korvid {

class SatelliteDialog;
class TransponderDialog;
class ChannelDialog;
class FavoriteDialog;
class GroupNameDialog;
class OrderLikeDialog;
class TransponderUpdateDialog;

struct DialogRunner
{
    std::function<bool(SatelliteDialog&)> satellite;
    std::function<bool(TransponderDialog&)> transponder;
    std::function<bool(ChannelDialog&)> channel;
    std::function<bool(FavoriteDialog&)> favorite;
    std::function<bool(GroupNameDialog&)> group_name;
    std::function<bool(OrderLikeDialog&)> order_like;
    std::function<bool(TransponderUpdateDialog&)> transponder_update;
};

} // namespace korvid
