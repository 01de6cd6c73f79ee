#include "ControlLayout.h"

void ControlLayout::resizeControls(float w, float h, WindowState state) {
    if (state == WindowState::Minimized)
        return;
    nowPlaying.width = (w - 1000) / 2;
    player.width = (w - 1000) / 2;
    tabs.width = w - 500;
    tabs.height = (h - tabs.top) - (statusBar.height + 1000);
    tree.width = (tabs.width - 500) / 2;
    searchFrame.width = (tabs.width - 500) / 2;
    searchText.width = searchFrame.width - 2 * searchText.left;
    searchButton.left = searchText.left + searchText.width - searchButton.width;
    for (TwipRect& list : songs)
        list.width = (tabs.width - 1000) / 2;
    playlist.width = (w - 1000) / 2;
    for (TwipRect& list : songs)
        list.left = tabs.width / 2 + 250;
    playlist.left = w / 2 + 250;
    deleteItem.left = playlist.left;
    clearPlaylist.left = playlist.left + playlist.width - clearPlaylist.width;
    tree.height = tabs.height - tree.top - 250;
    for (TwipRect& list : songs)
        list.height = tabs.height - tree.top - 250;
}
