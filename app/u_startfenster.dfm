object startfenster: Tstartfenster
  Caption = 'Playlist w'#228'hlen'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
end
